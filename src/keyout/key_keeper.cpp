#include "keyout/key_keeper.h"

#include "keyout/interception_api.h"

#include <atomic>

namespace {

std::atomic<bool> keeping{false};
std::atomic<int32_t> keptDown{0};

constexpr uint16_t AltCode = 0x38; // right Alt is E0 38
constexpr uint16_t LeftWindowsCode = 0x5B;
constexpr uint16_t RightWindowsCode = 0x5C;

// The Alt keys' and the Windows keys' bits; 0 for any other key.
uint32_t systemKeyBit(uint16_t code, unsigned short prefix) {
    const bool e0 = (prefix & KeyStateE0) != 0;
    if (code == AltCode) {
        return e0 ? 2u : 1u;
    }
    return !e0 ? 0u : code == LeftWindowsCode ? 4u : code == RightWindowsCode ? 8u : 0u;
}

} // namespace

void keepTypedKeys(bool keep) {
    keeping = keep;
}

bool typedKeysKept() {
    return keeping;
}

int32_t keptKeysDown() {
    return keptDown;
}

bool KeyKeeper::keep(uint16_t code, unsigned short prefix, bool up) {
    if (const uint32_t bit = systemKeyBit(code, prefix); bit != 0) {
        systemKeysDown = up ? systemKeysDown & ~bit : systemKeysDown | bit;
        return false;
    }
    const bool wasKept = keyBit(kept, code, prefix);
    // A key kept goes on being kept until its up; a repeat of it once
    // keeping has stopped goes on, and its up with it.
    const bool keepIt = !up && keeping && systemKeysDown == 0;
    setKeyBit(kept, code, prefix, keepIt);
    keptDown += (keepIt ? 1 : 0) - (wasKept ? 1 : 0);
    return keepIt || (up && wasKept);
}
