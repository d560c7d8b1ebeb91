#include "keyout/interception_output.h"

#include "base/platform.h"
#include "keyout/key_keeper.h"
#include "keyout/key_taker.h"
#include "keyout/keyboard_library.h"
#include "keyout/sendinput_output.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

InterceptionContext interceptionContext = nullptr;
InterceptionDevice keyboardDevice = 0;
InterceptionKeyStroke keyStroke = {};

namespace {

bool capturing = false;
int32_t failedReceives = 0;
KeyTaker taker;
bool captureOnThread = false;

// Strokes taken from the driver (and passed on) that wait for the capture.
struct TakenStroke {
    InterceptionDevice device;
    InterceptionKeyStroke stroke;
};

struct CaptureThread {
    std::thread thread;
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::deque<TakenStroke> taken; // under lock
    bool failed = false;           // under lock: no key will come this way
};

CaptureThread captureThread;

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

// Nothing waited; a stroke was taken; a receive took nothing (wait again);
// no key will come this way.
enum class Pumped { Nothing, Stroke, Retry, Failed };

// One stroke from the driver, passed on to the system at once as if it had
// not been held back.
Pumped pumpStroke(unsigned long waitMs, TakenStroke* out) {
    const InterceptionDevice device = interception.wait_with_timeout(interceptionContext, waitMs);
    if (device == 0) {
        return Pumped::Nothing;
    }
    if (!isKeyboardNumber(device)) {
        return Pumped::Failed; // the wait failed: no key will come this way
    }
    InterceptionKeyStroke stroke = {};
    if (interception.receive(interceptionContext, device, &stroke, 1) <= 0) {
        return ++failedReceives >= MaxFailedReceives ? Pumped::Failed : Pumped::Retry;
    }
    // Typed into the layout editor: for Padrelle alone.
    static KeyKeeper keeper;
    if (!keeper.keep(stroke.code, stroke.state & KeyPrefixMask, (stroke.state & KeyStateUp) != 0)) {
        interception.send(interceptionContext, device, &stroke, 1);
    }
    *out = TakenStroke{device, stroke};
    return Pumped::Stroke;
}

void runCaptureThread() {
    while (!captureThread.stop.load()) {
        TakenStroke taken = {};
        const Pumped pumped = pumpStroke(CaptureThreadWaitMs, &taken);
        if (pumped == Pumped::Nothing || pumped == Pumped::Retry) {
            std::this_thread::yield();
            continue;
        }
        {
            std::lock_guard<std::mutex> hold(captureThread.lock);
            if (pumped == Pumped::Failed) {
                captureThread.failed = true;
            } else {
                captureThread.taken.push_back(taken);
            }
        }
        platform.wakeMainLoop();
        if (pumped == Pumped::Failed) {
            return;
        }
    }
}

// Makes and breaks are held back alike, so that each goes on to the system
// in the order the keyboard sent them.
void driverArm() {
    if (!capturing) {
        setFilter(FilterKeyDownUp);
        capturing = true;
        failedReceives = 0;
        taker = KeyTaker{};
        if (captureOnThread) {
            captureThread.stop = false;
            captureThread.failed = false;
            captureThread.taken.clear();
            captureThread.thread = std::thread(runCaptureThread);
        }
    }
}

void driverDisarm() {
    if (!capturing) {
        return;
    }
    capturing = false;
    if (captureThread.thread.joinable()) {
        captureThread.stop = true;
        captureThread.thread.join();
    }
    setFilter(FilterNone);
    // Strokes the driver held back before the filter was cleared still go
    // on, in order.
    TakenStroke taken = {};
    for (int32_t i = 0; i < MaxStrokesPerPoll; ++i) {
        const Pumped pumped = pumpStroke(0, &taken);
        if (pumped == Pumped::Nothing || pumped == Pumped::Failed) {
            break;
        }
    }
}

// A stroke taken from the driver: the keyboard it came from is the one to
// send into, and later strokes carry its information, as the driver's own
// record would.
bool takeStroke(const TakenStroke& taken, uint32_t now, CapturedKey* key) {
    keyboardDevice = taken.device;
    keyStroke.information = taken.stroke.information;
    return taker.take(taken.stroke.code, taken.stroke.state, now, key);
}

CapturePoll driverPoll(CapturedKey* key) {
    if (!capturing || interceptionContext == nullptr) {
        return CaptureFailed;
    }
    const uint32_t now = platform.timeMs();
    if (captureOnThread) {
        std::lock_guard<std::mutex> hold(captureThread.lock);
        while (!captureThread.taken.empty()) {
            const TakenStroke taken = captureThread.taken.front();
            captureThread.taken.pop_front();
            if (takeStroke(taken, now, key)) {
                return CaptureTaken;
            }
        }
        return captureThread.failed ? CaptureFailed : CapturePending;
    }
    for (int32_t stroke = 0; stroke < MaxStrokesPerPoll; ++stroke) {
        TakenStroke taken = {};
        switch (pumpStroke(0, &taken)) {
        case Pumped::Failed:
            return CaptureFailed;
        case Pumped::Nothing:
            return CapturePending;
        case Pumped::Retry:
            break;
        case Pumped::Stroke:
            if (takeStroke(taken, now, key)) {
                return CaptureTaken;
            }
            break;
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

void useDriverCaptureThread(bool onThread) {
    captureOnThread = onThread;
}

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
        // On its own thread a taken stroke wakes the main loop itself.
        .capturePollMs = !driverCapture  ? HookCheckMs
                         : captureOnThread ? 0
                                           : DriverCapturePollMs,
    };
    return true;
}
