#include "keyout/key_taker.h"

namespace {

constexpr uint16_t LeftShift = 0x2A;
constexpr uint16_t RightShift = 0x36;
constexpr uint16_t PauseTail = 0x45;

} // namespace

bool KeyTaker::take(uint16_t code, unsigned short state, uint32_t nowMs, CapturedKey* key) {
    const auto prefix = static_cast<unsigned short>(state & KeyPrefixMask);
    const bool up = (state & KeyStateUp) != 0;
    if (pauseTail && code == PauseTail && prefix == 0) {
        pauseTail = false;
        return false;
    }
    pauseTail = (prefix & KeyStateE1) != 0;
    if ((prefix & KeyStateE0) != 0 && (code == LeftShift || code == RightShift)) {
        return false;
    }
    const bool same = awaitingBreak && held.code == code && held.prefix == prefix;
    if (same) {
        heardMs = nowMs;
    }
    if (up) {
        awaitingBreak = awaitingBreak && !same;
        return false;
    }
    if (awaitingBreak && nowMs - heardMs < TakerForgetMs) {
        return false;
    }
    held = CapturedKey{true, code, prefix};
    awaitingBreak = true;
    heardMs = nowMs;
    *key = held;
    return true;
}
