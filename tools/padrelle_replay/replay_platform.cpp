#include "replay_platform.h"

#include "base/win_constants.h"
#include "engine/window_proc.h"
#include "touch/touch_table.h"

#include <cstdio>
#include <vector>

namespace {

int replayWindowObject = 0;
constexpr uint32_t WM_NULL = 0x0000;

struct ReplayState {
    const Trace* trace = nullptr;
    void (*passEnded)(int32_t pass, void* context) = nullptr;
    void* passContext = nullptr;
    uint64_t idleUs = 0; // time let pass within passes
    size_t nextStep = 0;
    int32_t pass = 0;
    const TraceStep* step = nullptr; // of the running pass; null once closing
    bool closing = false;            // the trace has run out: the window goes
    bool closed = false;             // WM_DESTROY has been handed out
    uint32_t message = 0;            // the message takeMessage gave
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    bool buttonDown = false; // the mouse's button, between a trace's down and up
};

ReplayState replay;

bool installed() {
    return replay.trace != nullptr;
}

uint32_t replayTime() {
    // One millisecond per pass.
    return static_cast<uint32_t>(replay.pass);
}

uint64_t replayPreciseTime() {
    return static_cast<uint64_t>(replay.pass) * 1000u + replay.idleUs;
}

int16_t replayKeyState(int32_t virtualKey) {
    const bool returnDown =
        virtualKey == win::VK_RETURN && replay.step != nullptr && replay.step->kind == TraceReturn;
    return returnDown ? static_cast<int16_t>(0x8000) : 0;
}

uintptr_t replayExtraInfo() {
    if (replay.step == nullptr || replay.step->kind != TraceMouse) {
        return 0;
    }
    switch (replay.step->mouse.source) {
    case SourceTouch:
        return win::MI_WP_SIGNATURE | win::MI_TOUCH_BIT;
    case SourcePen:
        return win::MI_WP_SIGNATURE;
    default:
        return 0;
    }
}

// The client area lies at the screen origin.
bool replayScreenToClient(WindowHandle, int32_t*, int32_t*) {
    return true;
}

bool replayClientRect(WindowHandle, WinRect* out) {
    *out = WinRect{0, 0, replay.trace->clientWidth, replay.trace->clientHeight};
    return true;
}

void endPass() {
    if (replay.pass > 0 && replay.passEnded != nullptr) {
        replay.passEnded(replay.pass, replay.passContext);
    }
}

// Every step of the trace is one message, so the loop never waits: each pass
// takes one, and this is where the next step begins.
bool nextStep() {
    if (!installed() || replay.closed) {
        return false;
    }
    endPass();
    if (!replay.closing && replay.nextStep < replay.trace->steps.size()) {
        replay.step = &replay.trace->steps[replay.nextStep];
        ++replay.nextStep;
        ++replay.pass;
        return true;
    }
    replay.step = nullptr;
    replay.closing = true;
    return true;
}

// The message of the running step: touch points, a mouse message, or a
// message that does nothing.
uint32_t stepMessage(const TraceStep& step) {
    if (step.kind == TraceMouse) {
        const uint32_t messages[] = {win::WM_LBUTTONDOWN, win::WM_MOUSEMOVE, win::WM_LBUTTONUP,
                                     win::WM_CAPTURECHANGED};
        return messages[step.mouse.action];
    }
    return step.points.empty() ? WM_NULL : win::WM_TOUCH;
}

int32_t replayTake() {
    if (!nextStep()) {
        return 0;
    }
    if (replay.closing && !replay.closed) {
        replay.closed = true;
        replay.message = win::WM_DESTROY;
        replay.wParam = 0;
        replay.lParam = 0;
        return 1;
    }
    replay.message = stepMessage(*replay.step);
    replay.wParam = replay.message == win::WM_TOUCH
                        ? static_cast<uintptr_t>(replay.step->points.size() & 0xFFFF)
                        : 0;
    // The touch input handle names the pass; a button message carries the
    // cursor's client position; a lost capture goes to no window.
    replay.lParam = 0;
    if (replay.step->kind == TraceMouse) {
        // A move carries the button's state, as the system's moves do.
        const TraceMouseAction action = replay.step->mouse.action;
        if (action == MouseDown || action == MouseUp || action == MouseLost) {
            replay.buttonDown = action == MouseDown;
        }
        if (action == MouseMove && replay.buttonDown) {
            replay.wParam = win::MK_LBUTTON;
        }
    }
    if (replay.message == win::WM_TOUCH) {
        replay.lParam = static_cast<intptr_t>(replay.pass);
    } else if (replay.step->kind == TraceMouse && replay.step->mouse.action != MouseLost) {
        replay.lParam = static_cast<intptr_t>(static_cast<uint16_t>(replay.step->mouse.x)) |
                        static_cast<intptr_t>(static_cast<uint16_t>(replay.step->mouse.y)) << 16;
    }
    return 1;
}

void replayDispatch() {
    mainWindowMessage(replayWindow, replay.message, replay.wParam, replay.lParam);
}

intptr_t replayDefWindowProc(WindowHandle, uint32_t, uintptr_t, intptr_t) {
    return 0;
}

// GetTouchInputInfo of the replay: the handle names the pass whose points
// the message carries.
bool replayReadTouch(intptr_t handle, TouchInput* records, uint32_t count) {
    if (replay.step == nullptr || handle != static_cast<intptr_t>(replay.pass) ||
        count > replay.step->points.size()) {
        return false;
    }
    const std::vector<TracePoint>& points = replay.step->points;
    for (uint32_t i = 0; i < count; ++i) {
        records[i] = TouchInput{points[i].x, points[i].y, points[i].id, points[i].flags};
    }
    return true;
}

bool replayRegisterTouch(WindowHandle, uint32_t) {
    return true;
}

int32_t windowStyle = static_cast<int32_t>(win::WS_OVERLAPPEDWINDOW_VISIBLE);
int32_t windowExStyle = static_cast<int32_t>(win::WS_EX_CLIENTEDGE);

int32_t replayGetWindowLong(WindowHandle, int32_t index) {
    return index == win::GWL_STYLE ? windowStyle : windowExStyle;
}

int32_t replaySetWindowLong(WindowHandle, int32_t index, int32_t value) {
    int32_t& field = index == win::GWL_STYLE ? windowStyle : windowExStyle;
    const int32_t previous = field;
    field = value;
    return previous;
}

bool replayWindowRect(WindowHandle, WinRect* out) {
    return replayClientRect(nullptr, out);
}

bool replayAdjust(WinRect*, uint32_t, bool, uint32_t, uint32_t) {
    return true;
}

bool replayMonitor(const WinRect*, MonitorArea* out) {
    replayClientRect(nullptr, &out->whole);
    out->work = out->whole;
    return true;
}

bool replaySetWindowPos(WindowHandle, WindowHandle, int32_t, int32_t, int32_t, int32_t, uint32_t) {
    return true;
}

int32_t replayMessageBox(WindowHandle, const char* text, const char* caption, uint32_t) {
    std::fprintf(stderr, "padrelle-replay: message box \"%s\": %s\n", caption, text);
    return 1;
}

bool replaySound(const char*, uint32_t) {
    return true;
}

void replayQuit(int32_t) {}

} // namespace

const WindowHandle replayWindow = &replayWindowObject;

void installReplayPlatform(const Trace& trace, void (*passEnded)(int32_t pass, void* context),
                           void* passContext) {
    replay = ReplayState{};
    replay.trace = &trace;
    replay.passEnded = passEnded;
    replay.passContext = passContext;
    windowStyle = static_cast<int32_t>(win::WS_OVERLAPPEDWINDOW_VISIBLE);
    windowExStyle = static_cast<int32_t>(win::WS_EX_CLIENTEDGE);
    platform = Platform{
        .timeMs = replayTime,
        .preciseTimeUs = replayPreciseTime,
        .asyncKeyState = replayKeyState,
        .setCapture = [](WindowHandle) {},
        .releaseCapture = [] {},
        .trackMouseLeave = [](WindowHandle) {},
        .primaryButtonDown = [] { return replay.buttonDown; },
        .screenToClient = replayScreenToClient,
        .clientRect = replayClientRect,
        .takeMessage = replayTake,
        .closeQueued = [] { return false; },
        .dispatchMessage = replayDispatch,
        .waitForInput = [](uint32_t) { return false; },
        .waitForInputUntilUs = [](uint64_t) { return false; },
        .wakeMainLoop = [] {},
        .messageExtraInfo = replayExtraInfo,
        .defWindowProc = replayDefWindowProc,
        .postQuitMessage = replayQuit,
        .registerTouchWindow = replayRegisterTouch,
        .readTouchInputs = replayReadTouch,
        .closeTouchInput = [](intptr_t) {},
        .getWindowLong = replayGetWindowLong,
        .setWindowLong = replaySetWindowLong,
        .windowRect = replayWindowRect,
        .adjustWindowRectEx = replayAdjust,
        .windowDpi = [](WindowHandle) { return uint32_t{0}; },
        .monitorRect = replayMonitor,
        .setWindowPos = replaySetWindowPos,
        .showWindow = [](WindowHandle, int32_t) {},
        .setWindowOpacity = [](WindowHandle, uint8_t) { return true; },
        .setWindowShape = [](WindowHandle, const WinRect*, int32_t) { return true; },
        .exclusiveFullScreen = [] { return false; },
        .windowAbove = [](WindowHandle) { return int32_t{0}; },
        .monitorName = [](WindowHandle, MonitorIdentity*) { return false; },
        .monitorNamed = [](const char*, MonitorArea*) { return false; },
        .monitorWithDevice = [](const char*, MonitorArea*) { return false; },
        // One pass a millisecond: a frame may go out in every pass.
        .refreshRateHz = [](WindowHandle) { return int32_t{1000}; },
        .watchSessionChanges = [](WindowHandle, bool) { return true; },
        .consoleDisplayState = [](intptr_t) { return int32_t{-1}; },
        .programFolder = [](char*, size_t) { return false; },
        .messageBox = replayMessageBox,
        .playSound = replaySound,
        // A touch screen with a keyboard: the PC the traces come from.
        .touchPoints = [] { return int32_t{10}; },
        .keyboardAttached = [] { return true; },
        .openInShell = [](const char*, const char*) { return uint32_t{0}; },
        .closeWindow = [](WindowHandle) {},
        .setWindowMenu = [](WindowHandle, const WindowMenuEntry*, int32_t) {},
        .setTimer = [](WindowHandle, uintptr_t, uint32_t) { return true; },
        .killTimer = [](WindowHandle, uintptr_t) {},
        .giveForeground = [](WindowHandle, WindowHandle) { return false; },
        .showWindowCommand = [](WindowHandle, int32_t) {},
    };
}

void replayIdle(uint32_t milliseconds) {
    replay.idleUs += static_cast<uint64_t>(milliseconds) * 1000u;
}

int32_t replayPassNumber() {
    return replay.pass;
}

bool replayWindowClosed() {
    return replay.closed;
}

void stopReplay() {
    replay.closing = true;
}

void openReplayWindow() {
    mainWindowMessage(replayWindow, win::WM_CREATE, 0, 0);
    mainWindowMessage(replayWindow, win::WM_ACTIVATE, win::WA_ACTIVE, 0);
}
