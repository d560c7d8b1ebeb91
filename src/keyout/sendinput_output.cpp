#include "keyout/sendinput_output.h"

namespace {

struct HookCapture {
    bool armed = false;
    bool hooked = false;
    bool taken = false;
    CapturedKey key = {};
};

HookCapture capture;

SystemInputApi noSystemInput() {
    return SystemInputApi{
        .send = [](const SystemKeyEvent*, uint32_t) { return uint32_t{0}; },
        .hookKeyboard = [] { return false; },
        .unhookKeyboard = [] {},
    };
}

bool sendInputSend(uint16_t code, unsigned short prefix, bool down) {
    SystemKeyEvent event = {};
    if (!systemKeyEventFor(code, prefix, down, &event)) {
        return false;
    }
    return systemInput.send(&event, 1) == 1;
}

} // namespace

SystemInputApi systemInput = noSystemInput();

void resetSystemInput() {
    systemInput = noSystemInput();
    capture = HookCapture{};
}

bool systemKeyEventFor(uint16_t code, unsigned short prefix, bool down, SystemKeyEvent* event) {
    const uint32_t up = down ? 0 : KeyEventUp;
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

void systemKeyDown(uint32_t scanCode, uint32_t flags, uint32_t virtualKey, uintptr_t extraInfo) {
    // The program's own strokes are never taken for a key.
    if (!capture.armed || capture.taken || extraInfo == PadrelleInputTag) {
        return;
    }
    capture.key = keyFromHook(scanCode, flags, virtualKey);
    capture.taken = true;
}

void armHookCapture() {
    capture.armed = true;
    capture.taken = false;
    capture.hooked = capture.hooked || systemInput.hookKeyboard();
}

CapturePoll pollHookCapture(CapturedKey* key) {
    if (!capture.armed || !capture.hooked) {
        return CaptureFailed;
    }
    if (!capture.taken) {
        return CapturePending;
    }
    *key = capture.key;
    return CaptureTaken;
}

void disarmHookCapture() {
    capture.armed = false;
    capture.taken = false;
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
        .capturePollMs = 0,
    };
}
