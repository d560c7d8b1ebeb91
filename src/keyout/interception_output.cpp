#include "keyout/interception_output.h"

#include "engine/platform.h"
#include "keyout/key_taker.h"
#include "keyout/keyboard_library.h"
#include "keyout/sendinput_output.h"

InterceptionContext interceptionContext = nullptr;
InterceptionDevice keyboardDevice = 0;
InterceptionKeyStroke keyStroke = {};

namespace {

bool capturing = false;
int32_t failedReceives = 0;
KeyTaker taker;

bool isKeyboardNumber(InterceptionDevice device) {
    return device >= FirstKeyboard && device <= LastKeyboard;
}

StrokeResult driverSend(uint16_t code, unsigned short prefix, bool down) {
    if (interceptionContext == nullptr || !isKeyboardNumber(keyboardDevice)) {
        return StrokeRefused;
    }
    keyStroke.code = code;
    const unsigned short state = down ? KeyStateDown : KeyStateUp;
    keyStroke.state = static_cast<unsigned short>(state | (prefix & KeyPrefixMask));
    return interception.send(interceptionContext, keyboardDevice, &keyStroke, 1) > 0
               ? StrokeTaken
               : StrokeRefused;
}

void setFilter(InterceptionFilter filter) {
    interception.set_filter(interceptionContext, interception.is_keyboard, filter);
}

// Makes and breaks are held back alike, so that each goes on to the system
// in the order the keyboard sent them.
void driverArm() {
    if (!capturing) {
        setFilter(FilterKeyDownUp);
        capturing = true;
        failedReceives = 0;
        taker = KeyTaker{};
    }
}

void driverDisarm() {
    if (capturing) {
        capturing = false;
        setFilter(FilterNone);
    }
}

CapturePoll driverPoll(CapturedKey* key) {
    if (!capturing || interceptionContext == nullptr) {
        return CaptureFailed;
    }
    const uint32_t now = platform.timeMs();
    for (int32_t stroke = 0; stroke < MaxStrokesPerPoll; ++stroke) {
        const InterceptionDevice device = interception.wait_with_timeout(interceptionContext, 0);
        if (device == 0) {
            return CapturePending;
        }
        if (!isKeyboardNumber(device)) {
            return CaptureFailed; // the wait failed: no key will come this way
        }
        if (interception.receive(interceptionContext, device, &keyStroke, 1) <= 0) {
            if (++failedReceives >= MaxFailedReceives) {
                return CaptureFailed;
            }
            continue;
        }
        keyboardDevice = device;
        // The stroke goes on to the system as if it had not been held back.
        interception.send(interceptionContext, device, &keyStroke, 1);
        if (taker.take(keyStroke.code, keyStroke.state, now, key)) {
            return CaptureTaken;
        }
    }
    return CapturePending;
}

void driverClose() {
    driverDisarm();
    if (interceptionContext != nullptr) {
        interception.destroy_context(interceptionContext);
    }
    interceptionContext = nullptr;
}

// A library without its driver (an older build) gives a context whose wait
// answers at once with no device; a live driver lets the wait run its time.
bool driverAnswers() {
    if (interception.wait_with_timeout == nullptr) {
        return true; // cannot be asked without blocking: taken as it is
    }
    const uint64_t start = platform.preciseTimeUs();
    const InterceptionDevice device =
        interception.wait_with_timeout(interceptionContext, DriverProbeMs);
    return device != 0 || platform.preciseTimeUs() - start >= DriverSilentBelowUs;
}

// The keyboard to send into: the first that the driver knows a hardware id of
// (one that is plugged in), or, where the library cannot tell, the first
// keyboard number. 0 when there is none.
InterceptionDevice firstKeyboard() {
    for (InterceptionDevice device = FirstKeyboard; device <= LastKeyboard; ++device) {
        if (interception.is_keyboard(device) == 0) {
            continue;
        }
        if (interception.get_hardware_id == nullptr) {
            return device;
        }
        char id[512];
        if (interception.get_hardware_id(interceptionContext, device, id, sizeof id) > 0) {
            return device;
        }
    }
    return 0;
}

bool fail(KeyboardLibraryStatus status) {
    keyboardLibrary.status = status;
    driverClose();
    return false;
}

} // namespace

bool openInterceptionOutput() {
    if (keyboardLibrary.status == KeyboardLibraryUnchecked) {
        keyboardLibrary.status = checkInterceptionTable(interception, &keyboardLibrary.missingCall);
    }
    if (keyboardLibrary.status != KeyboardLibraryReady) {
        return false;
    }
    interceptionContext = interception.create_context();
    if (interceptionContext == nullptr) {
        return fail(KeyboardDriverMissing);
    }
    if (!driverAnswers()) {
        return fail(KeyboardDriverSilent);
    }
    const InterceptionDevice device = firstKeyboard();
    if (device == 0) {
        return fail(KeyboardNotAttached);
    }
    keyboardDevice = device;
    capturing = false;
    // Without a wait that returns, keys are taken by the system's hook
    // instead: the window must keep handling its messages meanwhile.
    const bool driverCapture = interception.wait_with_timeout != nullptr;
    keyOutput = KeyOutput{
        .send = driverSend,
        .armCapture = driverCapture ? driverArm : armHookCapture,
        .pollCapture = driverCapture ? driverPoll : pollHookCapture,
        .disarmCapture = driverCapture ? driverDisarm : disarmHookCapture,
        .close = driverCapture ? driverClose
                               : [] {
                                     disarmHookCapture();
                                     driverClose();
                                 },
        .capturePollMs = driverCapture ? DriverCapturePollMs : HookCheckMs,
    };
    return true;
}
