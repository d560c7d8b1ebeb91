#include "recording_keyboard.h"

#include "keyout/interception_api.h"

#include <cstring>

namespace {

int contextObject = 0;

struct RecordingKeyboard {
    TraceKey keys[TraceKeyCount] = {};
    int32_t keyCount = 0;
    int32_t nextKey = 0;
    bool captureWaiting = false; // a wait found the next key; receive takes it
    bool breakNext = false;      // the key given last is let go next
    InterceptionFilter filter = FilterNone;
    std::FILE* out = nullptr;
    int32_t (*passNumber)() = nullptr;
    void (*idle)(uint32_t milliseconds) = nullptr;
};

RecordingKeyboard keyboard;

InterceptionContext createContext() {
    return &contextObject;
}

void destroyContext(InterceptionContext) {}

int isKeyboard(InterceptionDevice device) {
    return device == ReplayKeyboard ? 1 : 0;
}

void setFilter(InterceptionContext, InterceptionPredicate, InterceptionFilter filter) {
    keyboard.filter = filter;
}

// A capture is under way while key-down strokes are held back; the trace's
// next key is the press it waits for. Without one no keyboard answers.
InterceptionDevice waitForKey(InterceptionContext) {
    if (keyboard.filter == FilterNone ||
        (keyboard.nextKey >= keyboard.keyCount && !keyboard.breakNext)) {
        keyboard.captureWaiting = false;
        return 0;
    }
    keyboard.captureWaiting = true;
    return ReplayKeyboard;
}

// With no filter set nothing is ever held back: a live driver lets the
// whole time pass.
InterceptionDevice waitForKeyFor(InterceptionContext context, unsigned long milliseconds) {
    const InterceptionDevice device = waitForKey(context);
    if (device == 0 && keyboard.filter == FilterNone && keyboard.idle != nullptr) {
        keyboard.idle(static_cast<uint32_t>(milliseconds));
    }
    return device;
}

unsigned int hardwareId(InterceptionContext, InterceptionDevice device, void* buffer,
                        unsigned int size) {
    static const char id[] = "REPLAY\\KEYBOARD";
    if (device != ReplayKeyboard || buffer == nullptr || size < sizeof id) {
        return 0;
    }
    std::memcpy(buffer, id, sizeof id);
    return sizeof id;
}

int receiveKey(InterceptionContext, InterceptionDevice device, void* stroke, unsigned int count) {
    if (!keyboard.captureWaiting || device != ReplayKeyboard || stroke == nullptr || count < 1) {
        return 0;
    }
    keyboard.captureWaiting = false;
    // Each key is pressed and let go, as a keyboard sends it.
    const bool up = keyboard.breakNext;
    const TraceKey& key = keyboard.keys[up ? keyboard.nextKey - 1 : keyboard.nextKey];
    if (!up) {
        ++keyboard.nextKey;
    }
    keyboard.breakNext = !up;
    InterceptionKeyStroke press{};
    press.code = key.code;
    press.state = static_cast<unsigned short>((up ? KeyStateUp : KeyStateDown) | key.prefix);
    press.information = 0;
    std::memcpy(stroke, &press, sizeof press);
    return 1;
}

int sendStroke(InterceptionContext, InterceptionDevice, const void* stroke, unsigned int count) {
    if (stroke == nullptr) {
        return 0;
    }
    // While a capture holds key-down strokes back, what is sent is the
    // captured press passed on to the system, not a stroke of the controller.
    if (keyboard.filter != FilterNone) {
        return static_cast<int>(count);
    }
    const InterceptionKeyStroke* strokes = static_cast<const InterceptionKeyStroke*>(stroke);
    for (unsigned int i = 0; i < count; ++i) {
        char line[64];
        const int32_t pass = keyboard.passNumber != nullptr ? keyboard.passNumber() : 0;
        formatStroke(line, sizeof line, pass, strokes[i].code, strokes[i].state);
        if (keyboard.out != nullptr) {
            std::fprintf(keyboard.out, "%s\n", line);
        }
    }
    return static_cast<int>(count);
}

} // namespace

void installRecordingKeyboard(const TraceKey* keys, int32_t count, std::FILE* out,
                              int32_t (*passNumber)(), void (*idle)(uint32_t milliseconds)) {
    keyboard = RecordingKeyboard{};
    keyboard.keyCount = count < TraceKeyCount ? count : TraceKeyCount;
    for (int32_t i = 0; i < keyboard.keyCount; ++i) {
        keyboard.keys[i] = keys[i];
    }
    keyboard.out = out;
    keyboard.passNumber = passNumber;
    keyboard.idle = idle;
    interception = InterceptionApi{
        .create_context = createContext,
        .destroy_context = destroyContext,
        .is_keyboard = isKeyboard,
        .set_filter = setFilter,
        .wait = waitForKey,
        .receive = receiveKey,
        .send = sendStroke,
        .wait_with_timeout = waitForKeyFor,
        .get_hardware_id = hardwareId,
    };
}

void formatStroke(char* buffer, size_t size, int32_t pass, unsigned short code,
                  unsigned short state) {
    // The code goes out widened from a signed byte; its low byte is the key.
    std::snprintf(buffer, size, "%d %s %02x%s%s", static_cast<int>(pass),
                  (state & KeyStateUp) != 0 ? "break" : "make", static_cast<unsigned>(code & 0xFF),
                  (state & KeyStateE0) != 0 ? " e0" : "", (state & KeyStateE1) != 0 ? " e1" : "");
}
