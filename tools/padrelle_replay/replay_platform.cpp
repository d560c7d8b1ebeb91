#include "replay_platform.h"

#include "engine/win_constants.h"
#include "engine/window_proc.h"
#include "touch/touch_table.h"

#include <cstdio>
#include <vector>

namespace {

int replayWindowObject = 0;

struct ReplayState {
    const Trace* trace = nullptr;
    size_t nextStep = 0;
    int32_t pass = 0;
    const TraceStep* step = nullptr; // of the running pass; null once closing
    bool closing = false;            // the trace has run out: the window goes
    bool closed = false;             // WM_DESTROY has been handed out
    uint32_t message = 0;            // the message getMessage gave
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

ReplayState replay;

bool installed() {
    return replay.trace != nullptr;
}

uint32_t replayTime() {
    // One millisecond per pass: the rate the controller runs at.
    return static_cast<uint32_t>(replay.pass);
}

int16_t replayKeyState(int32_t virtualKey) {
    const bool returnDown =
        virtualKey == win::VK_RETURN && replay.step != nullptr && replay.step->kind == TraceReturn;
    return returnDown ? static_cast<int16_t>(0x8000) : 0;
}

bool replayCursor(int32_t* x, int32_t* y) {
    *x = 0;
    *y = 0;
    return true;
}

// The client area lies at the screen origin.
bool replayScreenToClient(WindowHandle, int32_t*, int32_t*) {
    return true;
}

bool replayClientRect(WindowHandle, WinRect* out) {
    *out = WinRect{0, 0, replay.trace->clientWidth, replay.trace->clientHeight};
    return true;
}

// Every pass starts with this question, so this is where the next step of the
// trace begins.
bool replayPeek() {
    if (!installed() || replay.closed) {
        return false;
    }
    if (!replay.closing && replay.nextStep < replay.trace->steps.size()) {
        replay.step = &replay.trace->steps[replay.nextStep];
        ++replay.nextStep;
        ++replay.pass;
        return !replay.step->points.empty();
    }
    replay.step = nullptr;
    replay.closing = true;
    return true;
}

int32_t replayGet() {
    if (replay.closing && !replay.closed) {
        replay.closed = true;
        replay.message = win::WM_DESTROY;
        replay.wParam = 0;
        replay.lParam = 0;
        return 1;
    }
    if (replay.step == nullptr || replay.step->points.empty()) {
        return -1;
    }
    replay.message = win::WM_TOUCH;
    replay.wParam = static_cast<uintptr_t>(replay.step->points.size() & 0xFFFF);
    replay.lParam = static_cast<intptr_t>(replay.pass); // the touch input handle
    return 1;
}

void replayDispatch() {
    mainWindowMessage(replayWindow, replay.message, replay.wParam, replay.lParam);
}

intptr_t replayDefWindowProc(WindowHandle, uint32_t, uintptr_t, intptr_t) {
    return 0;
}

// handleTouchMessage of the replay: the handle names the pass whose points
// the message carries.
intptr_t replayTouchMessage(WindowHandle window, uintptr_t wParam, intptr_t lParam) {
    if (replay.step != nullptr && lParam == static_cast<intptr_t>(replay.pass)) {
        const std::vector<TracePoint>& points = replay.step->points;
        const size_t count = wParam & 0xFFFF;
        std::vector<TouchRecord> records;
        for (size_t i = 0; i < count && i < points.size(); ++i) {
            records.push_back(TouchRecord{points[i].x, points[i].y, points[i].id, points[i].flags});
        }
        fileTouchRecords(window, records.data(), static_cast<int32_t>(records.size()));
    }
    return replayDefWindowProc(window, win::WM_TOUCH, wParam, lParam);
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

bool replayAdjust(WinRect*, uint32_t, bool, uint32_t) {
    return true;
}

bool replayMonitor(const WinRect*, WinRect* out) {
    return replayClientRect(nullptr, out);
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

void installReplayPlatform(const Trace& trace) {
    replay = ReplayState{};
    replay.trace = &trace;
    windowStyle = static_cast<int32_t>(win::WS_OVERLAPPEDWINDOW_VISIBLE);
    windowExStyle = static_cast<int32_t>(win::WS_EX_CLIENTEDGE);
    platform = Platform{
        replayTime,          replayKeyState,      replayCursor,        replayScreenToClient,
        replayClientRect,    replayPeek,          replayGet,           replayDispatch,
        replayDefWindowProc, replayQuit,          replayRegisterTouch, replayTouchMessage,
        replayGetWindowLong, replaySetWindowLong, replayWindowRect,    replayAdjust,
        replayMonitor,       replaySetWindowPos,  replayMessageBox,    replaySound};
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
