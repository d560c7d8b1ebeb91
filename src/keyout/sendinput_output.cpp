#include "keyout/sendinput_output.h"

#include "base/platform.h"
#include "base/window_owners.h"
#include "keyout/held_record.h"
#include "keyout/key_keeper.h"
#include "keyout/key_taker.h"

#include <cstring>
#include <string>

namespace {

struct HookCapture {
    bool armed = false;
    bool hooked = false;
    KeyTaker taker;
    // The hook's health: the keys it gave, the keys down at the last look,
    // and since when keys have gone down or up without a word from it.
    uint64_t keysSeen = 0;
    uint64_t keysAtLastLook = 0;
    uint64_t keysAtLookBefore = 0;
    KeyStateBits lastLook = {};
    bool looked = false;
    bool missing = false;
    uint32_t missingSinceMs = 0;
    int32_t restarts = 0;
};

HookCapture capture;

SystemInputApi noSystemInput() {
    return SystemInputApi{
        .send =
            [](const SystemKeyEvent*, uint32_t, uint32_t* error) {
                *error = 0;
                return uint32_t{0};
            },
        .hookKeyboard = [] { return false; },
        .unhookKeyboard = [] {},
        .keysDown = [](KeyStateBits* out) { *out = KeyStateBits{}; },
        .numLockOn = [] { return false; },
        .foregroundOutranksUs = [] { return false; },
        .foregroundKnown = [] { return true; },
        .foregroundProgram =
            [](char* out, size_t size) {
                if (size > 0) {
                    out[0] = '\0';
                }
            },
        .foregroundContentProgram =
            [](char* out, size_t size) {
                if (size > 0) {
                    out[0] = '\0';
                }
            },
        .lookAtForeground = [] { return false; },
    };
}

// Windows removes a hook whose callback took too long without telling the
// program. Every key that goes down or up passes the hook before the
// system's key state changes, so a change of the key state with nothing from
// the hook over the last two looks (a key may pass the hook just after one
// look read the state) is a key that went by without it; when the hook
// stays silent for HookSilentMs after such a change, it is gone and set
// again. A key held all along (injected, held by the driver, stuck) changes
// nothing and is no sign of anything.
void watchHook(uint32_t now, const KeyStateBits& keys) {
    const bool changed =
        capture.looked && std::memcmp(keys.bits, capture.lastLook.bits, sizeof keys.bits) != 0;
    const bool heard = capture.keysSeen != capture.keysAtLastLook;
    const bool heardLately = capture.keysSeen != capture.keysAtLookBefore;
    capture.lastLook = keys;
    capture.looked = true;
    capture.keysAtLookBefore = capture.keysAtLastLook;
    capture.keysAtLastLook = capture.keysSeen;
    if (heard) {
        capture.missing = false;
        return;
    }
    if (changed && !heardLately && !capture.missing) {
        capture.missing = true;
        capture.missingSinceMs = now;
    }
    if (capture.missing && now - capture.missingSinceMs >= HookSilentMs) {
        systemInput.unhookKeyboard();
        capture.hooked = systemInput.hookKeyboard();
        ++capture.restarts;
        capture.missing = false;
        capture.looked = false;
    }
}

// Counted as inserted, and perhaps dropped on the way all the same: the game
// outranks us (UIPI), or this thread sees no window in front (its desktop is
// not the input desktop, or the foreground is changing hands).
bool mayBeDropped() {
    return !systemInput.foregroundKnown() || systemInput.foregroundOutranksUs();
}

StrokeResult sendInputSend(uint16_t code, unsigned short prefix, bool down) {
    if (!injectKey(code, prefix, down)) {
        return StrokeRefused;
    }
    return mayBeDropped() ? StrokeDoubtful : StrokeTaken;
}

} // namespace

SystemInputApi systemInput = noSystemInput();

namespace {

uint32_t foregroundChanges = 0;

} // namespace

uint32_t foregroundChangeCount() {
    return foregroundChanges;
}

void noteForegroundChange() {
    ++foregroundChanges;
}

void foregroundChangeHeard() {
    inputMayReachTheGameAgain();
    noteForegroundChange();
}

void programInFront(char* out, size_t size) {
    if (size == 0) {
        return;
    }
    std::string frame(size, '\0');
    std::string content(size, '\0');
    systemInput.foregroundProgram(frame.data(), size);
    systemInput.foregroundContentProgram(content.data(), size);
    const std::string_view name = programOfWindow(frame.c_str(), content.c_str());
    std::memcpy(out, name.data(), name.size());
    out[name.size()] = '\0';
}

bool lookAtForeground() {
    if (!systemInput.lookAtForeground()) {
        return false;
    }
    foregroundChangeHeard();
    return true;
}

void resetSystemInput() {
    systemInput = noSystemInput();
    foregroundChanges = 0;
    capture = HookCapture{};
    discardHookedKeys();
}

bool keysBlockedByTheGame() {
    return outputInUse == SendInputOutput && systemInput.foregroundOutranksUs();
}

int32_t hookRestarts() {
    return capture.restarts;
}

namespace {

// Each numpad key's virtual key with NumLock on and off, from 47 on; 0 for
// the two (4A, 4E) that NumLock leaves alone.
struct NumpadVirtualKeys {
    uint8_t numLockOn;
    uint8_t numLockOff;
};
constexpr NumpadVirtualKeys NumpadVirtualKey[NumpadKeyCount] = {
    {0x67, 0x24}, {0x68, 0x26}, {0x69, 0x21}, {0, 0},       {0x64, 0x25},
    {0x65, 0x0C}, {0x66, 0x27}, {0, 0},       {0x61, 0x23}, {0x62, 0x28},
    {0x63, 0x22}, {0x60, 0x2D}, {0x6E, 0x2E}};

// The virtual key a numpad key goes as: the one NumLock gives at its make,
// and the make's at its break. 0 for any other key.
uint16_t numpadVirtualKey(uint16_t code, unsigned short prefix, bool down) {
    const uint32_t index = static_cast<uint32_t>(code) - FirstNumpadCode;
    if (prefix != 0 || index >= static_cast<uint32_t>(NumpadKeyCount) ||
        NumpadVirtualKey[index].numLockOn == 0) {
        return 0;
    }
    uint8_t& made = heldRecord->numpadVirtualKeys[index];
    if (down || made == 0) {
        const NumpadVirtualKeys& keys = NumpadVirtualKey[index];
        made = systemInput.numLockOn() ? keys.numLockOn : keys.numLockOff;
    }
    return made;
}

} // namespace

bool systemKeyEventFor(uint16_t code, unsigned short prefix, bool down, SystemKeyEvent* event) {
    const uint32_t up = down ? 0 : KeyEventUp;
    if (const uint16_t numpad = numpadVirtualKey(code, prefix, down); numpad != 0) {
        *event = SystemKeyEvent{numpad, code, up};
        return true;
    }
    if ((prefix & KeyStateE1) != 0) {
        if ((code & 0xFF) != PauseMakeCode) {
            return false;
        }
        *event = SystemKeyEvent{VirtualKeyPause, 0, up};
        return true;
    }
    const uint32_t extended = (prefix & KeyStateE0) != 0 ? KeyEventExtended : 0;
    *event =
        SystemKeyEvent{0, static_cast<uint16_t>(code & 0xFF), KeyEventScancode | extended | up};
    return true;
}

bool injectKey(uint16_t code, unsigned short prefix, bool down) {
    SystemKeyEvent event = {};
    if (!systemKeyEventFor(code, prefix, down, &event)) {
        return false;
    }
    // On another desktop SendInput may count the event and say so only by
    // its last error.
    uint32_t error = 0;
    return systemInput.send(&event, 1, &error) == 1 && error != SystemErrorAccessDenied;
}

bool injectGuardBreak(uint16_t code, unsigned short prefix) {
    return injectKey(code, prefix, false) && !mayBeDropped();
}

CapturedKey keyFromHook(uint32_t scanCode, uint32_t flags, uint32_t virtualKey) {
    switch (virtualKey) {
    case VirtualKeyPause:
        return CapturedKey{true, PauseMakeCode, KeyStateE1};
    case VirtualKeyNumLock:
        return CapturedKey{true, NumLockCode, 0};
    case VirtualKeyRightShift:
        return CapturedKey{true, RightShiftCode, 0};
    default:
        break;
    }
    const unsigned short prefix = (flags & HookedExtended) != 0 ? KeyStateE0 : 0;
    return CapturedKey{true, static_cast<uint16_t>(scanCode & 0xFF), prefix};
}

bool keepHookedKey(const HookedKey& key) {
    static KeyKeeper keeper;
    if (key.extraInfo == PadrelleInputTag) {
        return false;
    }
    const CapturedKey seen = keyFromHook(key.scanCode, key.flags, key.virtualKey);
    return keeper.keep(seen.code, seen.prefix, (key.flags & HookedUp) != 0);
}

void armHookCapture() {
    capture.armed = true;
    if (!capture.hooked) {
        // Keys from before the capture are no answer to its prompt.
        discardHookedKeys();
        capture.hooked = systemInput.hookKeyboard();
    }
}

CapturePoll pollHookCapture(CapturedKey* key) {
    if (!capture.armed || !capture.hooked) {
        return CaptureFailed;
    }
    const uint32_t now = platform.timeMs();
    // The key state before the queue: a change seen here was hooked already.
    KeyStateBits keys = {};
    systemInput.keysDown(&keys);
    HookedKey hooked;
    while (takeHookedKeys(&hooked, 1) == 1) {
        ++capture.keysSeen;
        // The program's own strokes are never taken for a key.
        if (hooked.extraInfo == PadrelleInputTag) {
            continue;
        }
        const CapturedKey seen = keyFromHook(hooked.scanCode, hooked.flags, hooked.virtualKey);
        const auto state = static_cast<unsigned short>(
            seen.prefix | ((hooked.flags & HookedUp) != 0 ? KeyStateUp : 0));
        if (capture.taker.take(seen.code, state, now, key)) {
            capture.looked = false; // the rest of the queue waits for the next poll
            return CaptureTaken;
        }
    }
    watchHook(now, keys);
    return CapturePending;
}

void disarmHookCapture() {
    capture.armed = false;
    capture.taker = KeyTaker{};
    capture.looked = false;
    capture.missing = false;
    if (capture.hooked) {
        capture.hooked = false;
        systemInput.unhookKeyboard();
    }
}

void useSendInputOutput() {
    keyOutput = KeyOutput{
        .send = sendInputSend,
        .armCapture = armHookCapture,
        .pollCapture = pollHookCapture,
        .disarmCapture = disarmHookCapture,
        .close = disarmHookCapture,
        .capturePollMs = HookCheckMs,
    };
}
