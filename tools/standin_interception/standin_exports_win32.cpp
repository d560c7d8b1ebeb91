// The seven calls of the keyboard-filter driver library, over a simulated
// keyboard (device 1). Every call and every stroke is logged.
//
// Model: a key press goes down on the keyboard; when a filter of that
// device holds it back, it waits to be received; otherwise it reaches the
// system directly (logged as a stroke "from=keyboard"). A received key is
// released again at the library's next call after the receive, when the
// program has passed the press on; the release is held back or reaches the
// system by the same rule.
#include <windows.h>

#include "keyout/interception_api.h"
#include "standin.h"

#include <cstdlib>
#include <cstring>

#define STANDIN_API extern "C" __declspec(dllexport)

namespace {

constexpr int DeviceCount = 20;
constexpr InterceptionDevice KeyboardDevice = 1;
constexpr size_t MaxContexts = 4;
constexpr size_t MaxPending = 16;
// More strokes than this in one receive or send is taken as a broken call.
constexpr unsigned int MaxStrokesPerCall = 256;

// Filter bits: the stroke state bits shifted one place.
constexpr InterceptionFilter FilterDown = 0x01;
constexpr InterceptionFilter FilterUp = 0x02;
constexpr InterceptionFilter FilterE0 = 0x04;
constexpr InterceptionFilter FilterE1 = 0x08;

struct PendingStroke {
    InterceptionDevice device;
    InterceptionKeyStroke stroke;
};

struct StandinContext {
    bool live;
    InterceptionFilter filters[DeviceCount + 1];
    PendingStroke pending[MaxPending];
    size_t pendingCount;
    bool keyHeld;
    InterceptionKeyStroke heldKey;
};

StandinContext contexts[MaxContexts];
bool quietPredicate = false;
// Timed waits that give nothing are logged once in a row, not at every poll.
bool quietWaits = false;

bool environmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '1';
}

int contextNumber(InterceptionContext context) {
    for (size_t i = 0; i < MaxContexts; ++i) {
        if (context == &contexts[i] && contexts[i].live) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

StandinContext* liveContext(InterceptionContext context) {
    const int number = contextNumber(context);
    return number == 0 ? nullptr : &contexts[number - 1];
}

bool isKeyboardNumber(InterceptionDevice device) {
    return device >= FirstKeyboard && device <= LastKeyboard;
}

bool heldBack(const StandinContext& context, InterceptionDevice device,
              const InterceptionKeyStroke& stroke) {
    if (device < 1 || device > DeviceCount) {
        return false;
    }
    const InterceptionFilter filter = context.filters[device];
    const bool up = (stroke.state & KeyStateUp) != 0;
    return (!up && (filter & FilterDown) != 0) || (up && (filter & FilterUp) != 0) ||
           ((stroke.state & KeyStateE0) != 0 && (filter & FilterE0) != 0) ||
           ((stroke.state & KeyStateE1) != 0 && (filter & FilterE1) != 0);
}

void logStroke(const char* from, InterceptionDevice device, const InterceptionKeyStroke& stroke) {
    logLine("stroke from=%s device=%d code=0x%02X state=0x%02X information=%u", from, device,
            stroke.code, stroke.state, stroke.information);
}

// A stroke of the simulated keyboard: held back for the program, or on to
// the system.
void strike(StandinContext& context, const InterceptionKeyStroke& stroke) {
    if (heldBack(context, KeyboardDevice, stroke) && context.pendingCount < MaxPending) {
        context.pending[context.pendingCount++] = PendingStroke{KeyboardDevice, stroke};
        logStroke("keyboard-held", KeyboardDevice, stroke);
        return;
    }
    logStroke("keyboard", KeyboardDevice, stroke);
    if (injectingStrokes()) {
        injectStroke(stroke.code, stroke.state);
    }
}

void releaseHeldKey(StandinContext& context) {
    if (!context.keyHeld) {
        return;
    }
    context.keyHeld = false;
    InterceptionKeyStroke release = context.heldKey;
    release.state = static_cast<unsigned short>(release.state | KeyStateUp);
    strike(context, release);
}

unsigned short filterOf(const StandinContext& context, InterceptionDevice device) {
    return context.filters[device];
}

bool anyFilterOnKeyboard(const StandinContext& context) {
    return filterOf(context, KeyboardDevice) != FilterNone;
}

} // namespace

STANDIN_API int interception_is_keyboard(InterceptionDevice device) {
    const int result = isKeyboardNumber(device) ? 1 : 0;
    if (!quietPredicate) {
        logLine("call=is_keyboard device=%d result=%d", device, result);
    }
    return result;
}

STANDIN_API InterceptionContext interception_create_context() {
    openStandinLog();
    if (environmentSet("PADRELLE_STANDIN_NO_DRIVER")) {
        logLine("call=create_context result=0 reason=no-driver");
        return nullptr;
    }
    for (size_t i = 0; i < MaxContexts; ++i) {
        if (!contexts[i].live) {
            contexts[i] = StandinContext{};
            contexts[i].live = true;
            logLine("call=create_context result=%u scripted_keys=%u", static_cast<unsigned>(i + 1),
                    static_cast<unsigned>(scriptedKeyCount()));
            logThreadWindows();
            return &contexts[i];
        }
    }
    logLine("call=create_context result=0 reason=too-many-contexts");
    return nullptr;
}

STANDIN_API void interception_destroy_context(InterceptionContext context) {
    StandinContext* live = liveContext(context);
    if (live == nullptr) {
        logLine("call=destroy_context context=0 result=not-a-context");
        return;
    }
    const int number = contextNumber(context);
    // The key still down on the keyboard goes up with nobody filtering.
    for (InterceptionFilter& filter : live->filters) {
        filter = FilterNone;
    }
    releaseHeldKey(*live);
    live->live = false;
    logLine("call=destroy_context context=%d pending=%u", number,
            static_cast<unsigned>(live->pendingCount));
}

STANDIN_API void interception_set_filter(InterceptionContext context,
                                         InterceptionPredicate predicate,
                                         InterceptionFilter filter) {
    StandinContext* live = liveContext(context);
    if (live == nullptr || predicate == nullptr) {
        logLine("call=set_filter context=%d filter=0x%04X result=ignored", contextNumber(context),
                filter);
        return;
    }
    int matched = 0;
    quietPredicate = true;
    for (InterceptionDevice device = 1; device <= DeviceCount; ++device) {
        if (predicate(device) != 0) {
            live->filters[device] = filter;
            ++matched;
        }
    }
    quietPredicate = false;
    logLine("call=set_filter context=%d filter=0x%04X devices=%d", contextNumber(context), filter,
            matched);
    releaseHeldKey(*live);
}

// Takes the next key press of the simulated keyboard within the time; true
// when a stroke is waiting to be received afterwards.
bool pressWithin(StandinContext& context, unsigned long milliseconds) {
    StandinKey key = {0, 0};
    if (!nextKeyPress(milliseconds, &key)) {
        return false;
    }
    const InterceptionKeyStroke down = {key.code, key.prefix, 0};
    strike(context, down);
    if (context.pendingCount == 0) {
        // The press went straight on; so does its release.
        InterceptionKeyStroke up = down;
        up.state = static_cast<unsigned short>(up.state | KeyStateUp);
        strike(context, up);
    }
    return context.pendingCount > 0;
}

STANDIN_API InterceptionDevice interception_wait(InterceptionContext context) {
    StandinContext* live = liveContext(context);
    if (live == nullptr) {
        logLine("call=wait context=0 result=0");
        return 0;
    }
    releaseHeldKey(*live);
    logThreadWindows();
    if (live->pendingCount == 0 && !anyFilterOnKeyboard(*live)) {
        // Nothing can be held back: the real library would wait forever.
        logLine("call=wait context=%d blocked=no-filter", contextNumber(context));
    }
    while (live->pendingCount == 0) {
        pressWithin(*live, 1000);
    }
    const InterceptionDevice device = live->pending[0].device;
    logLine("call=wait context=%d result=%d", contextNumber(context), device);
    return device;
}

STANDIN_API InterceptionDevice interception_wait_with_timeout(InterceptionContext context,
                                                              unsigned long milliseconds) {
    StandinContext* live = liveContext(context);
    if (live == nullptr || environmentSet("PADRELLE_STANDIN_DEAD_WAIT")) {
        // As an older library without its driver: no device, at once.
        logLine("call=wait_with_timeout context=%d ms=%lu result=0 reason=no-driver",
                contextNumber(context), milliseconds);
        return 0;
    }
    releaseHeldKey(*live);
    if (live->pendingCount == 0) {
        if (anyFilterOnKeyboard(*live)) {
            pressWithin(*live, milliseconds);
        } else {
            idle(milliseconds); // nothing can be held back: the time runs out
        }
    }
    if (live->pendingCount == 0) {
        if (!quietWaits) {
            logLine("call=wait_with_timeout context=%d ms=%lu result=0 (repeats not logged)",
                    contextNumber(context), milliseconds);
            quietWaits = true;
        }
        return 0;
    }
    quietWaits = false;
    const InterceptionDevice device = live->pending[0].device;
    logLine("call=wait_with_timeout context=%d ms=%lu result=%d", contextNumber(context),
            milliseconds, device);
    return device;
}

STANDIN_API unsigned int interception_get_hardware_id(InterceptionContext context,
                                                      InterceptionDevice device, void* buffer,
                                                      unsigned int size) {
    static const char id[] = "HID\\STANDIN_KEYBOARD";
    const bool has = liveContext(context) != nullptr && device == KeyboardDevice &&
                     !environmentSet("PADRELLE_STANDIN_NO_KEYBOARD");
    const unsigned int result = has && buffer != nullptr && size >= sizeof id ? sizeof id : 0;
    if (result > 0) {
        memcpy(buffer, id, sizeof id);
    }
    logLine("call=get_hardware_id context=%d device=%d result=%u", contextNumber(context), device,
            result);
    return result;
}

STANDIN_API int interception_receive(InterceptionContext context, InterceptionDevice device,
                                     void* stroke, unsigned int count) {
    StandinContext* live = liveContext(context);
    if (live == nullptr || stroke == nullptr || !isKeyboardNumber(device) ||
        count > MaxStrokesPerCall) {
        logLine("call=receive context=%d device=%d count=%u result=0", contextNumber(context),
                device, count);
        return 0;
    }
    // A keyboard's strokes lie one after the other in the caller's buffer.
    InterceptionKeyStroke* strokes = static_cast<InterceptionKeyStroke*>(stroke);
    unsigned int taken = 0;
    size_t kept = 0;
    for (size_t i = 0; i < live->pendingCount; ++i) {
        const PendingStroke pending = live->pending[i];
        if (pending.device == device && taken < count) {
            strokes[taken++] = pending.stroke;
            if ((pending.stroke.state & KeyStateUp) == 0) {
                live->keyHeld = true;
                live->heldKey = pending.stroke;
            }
        } else {
            live->pending[kept++] = pending;
        }
    }
    live->pendingCount = kept;
    logLine("call=receive context=%d device=%d count=%u result=%u", contextNumber(context), device,
            count, taken);
    for (unsigned int i = 0; i < taken; ++i) {
        logStroke("receive", device, strokes[i]);
    }
    return static_cast<int>(taken);
}

STANDIN_API int interception_send(InterceptionContext context, InterceptionDevice device,
                                  const void* stroke, unsigned int count) {
    StandinContext* live = liveContext(context);
    if (live == nullptr || stroke == nullptr || !isKeyboardNumber(device) ||
        count > MaxStrokesPerCall) {
        logLine("call=send context=%d device=%d count=%u result=0", contextNumber(context), device,
                count);
        return 0;
    }
    const InterceptionKeyStroke* strokes = static_cast<const InterceptionKeyStroke*>(stroke);
    logLine("call=send context=%d device=%d count=%u result=%u", contextNumber(context), device,
            count, count);
    for (unsigned int i = 0; i < count; ++i) {
        logStroke("send", device, strokes[i]);
        if (injectingStrokes()) {
            injectStroke(strokes[i].code, strokes[i].state);
        }
    }
    return static_cast<int>(count);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        openStandinLog();
        logLine("load library=standin-interception");
    } else if (reason == DLL_PROCESS_DETACH) {
        logLine("unload");
        closeStandinLog();
    }
    return TRUE;
}
