#include "support/fake_platform.h"

#include "engine/win_constants.h"
#include "engine/window_proc.h"

#include <cstdio>

FakePlatform fakePlatform;

namespace {

constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t FailingMessage = 0xFFFFFFFFu;

std::string hex(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

uint32_t fakeTime() {
    return fakePlatform.time;
}

int16_t fakeKey(int32_t key) {
    if (key < 0 || key > 255) {
        return 0;
    }
    return fakePlatform.keyDown[key] ? static_cast<int16_t>(0x8000) : 0;
}

bool fakeScreenToClient(WindowHandle, int32_t* x, int32_t* y) {
    *x -= fakePlatform.clientOrigin.left;
    *y -= fakePlatform.clientOrigin.top;
    return true;
}

bool fakeClientRect(WindowHandle, WinRect* out) {
    if (fakePlatform.clientRectFails) {
        return false;
    }
    *out = fakePlatform.client;
    return true;
}

int32_t fakeTake() {
    if (fakePlatform.queue.empty()) {
        return 0;
    }
    ++fakePlatform.messagesTaken;
    fakePlatform.current = fakePlatform.queue.front();
    fakePlatform.queue.pop_front();
    const bool dropped =
        fakePlatform.current.message == FailingMessage || fakePlatform.current.message == WM_QUIT;
    return dropped ? -1 : 1;
}

void fakeDispatch() {
    const FakeMessage message = fakePlatform.current;
    fakePlatform.dispatched.push_back(message);
    if (fakePlatform.onDispatch) {
        fakePlatform.onDispatch(message);
    }
    mainWindowMessage(mainWindow, message.message, message.wParam, message.lParam);
}

intptr_t fakeDefWindowProc(WindowHandle, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    fakePlatform.defaultHandled.push_back({message, wParam, lParam});
    return 77;
}

void fakeQuit(int32_t code) {
    fakePlatform.quitCodes.push_back(code);
}

bool fakeRegisterTouch(WindowHandle, uint32_t flags) {
    fakePlatform.calls.push_back("registerTouchWindow " + hex(static_cast<int32_t>(flags)));
    ++fakePlatform.touchRegistrations;
    return true;
}

intptr_t fakeTouchMessage(WindowHandle, uintptr_t wParam, intptr_t lParam) {
    fakePlatform.touchMessages.push_back({win::WM_TOUCH, wParam, lParam});
    return 55;
}

int32_t fakeGetWindowLong(WindowHandle, int32_t index) {
    return index == win::GWL_STYLE ? fakePlatform.style : fakePlatform.exStyle;
}

int32_t fakeSetWindowLong(WindowHandle, int32_t index, int32_t value) {
    const bool isStyle = index == win::GWL_STYLE;
    int32_t& field = isStyle ? fakePlatform.style : fakePlatform.exStyle;
    const int32_t previous = field;
    field = value;
    fakePlatform.calls.push_back(std::string(isStyle ? "style " : "exStyle ") + hex(value));
    return previous;
}

bool fakeWindowRect(WindowHandle, WinRect* out) {
    *out = fakePlatform.windowRect;
    return true;
}

bool fakeAdjust(WinRect* rect, uint32_t style, bool, uint32_t exStyle) {
    fakePlatform.calls.push_back("adjust " + hex(static_cast<int32_t>(style)) + " " +
                                 hex(static_cast<int32_t>(exStyle)));
    rect->left += fakePlatform.frame.left;
    rect->top += fakePlatform.frame.top;
    rect->right += fakePlatform.frame.right;
    rect->bottom += fakePlatform.frame.bottom;
    return true;
}

bool fakeMonitor(const WinRect* near, WinRect* out) {
    fakePlatform.monitorQueries.push_back(*near);
    *out = fakePlatform.monitor;
    return true;
}

bool fakeSetWindowPos(WindowHandle, WindowHandle, int32_t x, int32_t y, int32_t w, int32_t h,
                      uint32_t flags) {
    fakePlatform.positions.push_back({x, y, w, h, flags});
    fakePlatform.windowRect = {x, y, x + w, y + h};
    fakePlatform.calls.push_back("setWindowPos");
    return true;
}

int32_t fakeMessageBox(WindowHandle, const char* text, const char* caption, uint32_t type) {
    fakePlatform.messageBoxes.push_back({text, caption, type});
    return 1;
}

bool fakeSound(const char* name, uint32_t flags) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(name);
    char resource[24];
    std::snprintf(resource, sizeof resource, "#%u", static_cast<unsigned>(value));
    fakePlatform.sounds.emplace_back(value < 0x10000 ? resource : name, flags);
    return true;
}

} // namespace

void installFakePlatform() {
    fakePlatform = FakePlatform{};
    platform = Platform{
        .timeMs = fakeTime,
        .preciseTimeUs = [] { return fakePlatform.preciseUs; },
        .asyncKeyState = fakeKey,
        .setCapture = [](WindowHandle) { fakePlatform.calls.push_back("setCapture"); },
        .releaseCapture = [] { fakePlatform.calls.push_back("releaseCapture"); },
        .screenToClient = fakeScreenToClient,
        .clientRect = fakeClientRect,
        .takeMessage = fakeTake,
        .dispatchMessage = fakeDispatch,
        .waitForInput =
            [](uint32_t timeoutMs) {
                fakePlatform.waits.push_back(timeoutMs);
                if (fakePlatform.onWait) {
                    fakePlatform.onWait(timeoutMs);
                }
                return !fakePlatform.queue.empty();
            },
        .messageExtraInfo = [] { return fakePlatform.extraInfo; },
        .defWindowProc = fakeDefWindowProc,
        .postQuitMessage = fakeQuit,
        .registerTouchWindow = fakeRegisterTouch,
        .touchMessage = fakeTouchMessage,
        .getWindowLong = fakeGetWindowLong,
        .setWindowLong = fakeSetWindowLong,
        .windowRect = fakeWindowRect,
        .adjustWindowRectEx = fakeAdjust,
        .monitorRect = fakeMonitor,
        .setWindowPos = fakeSetWindowPos,
        .monitorName =
            [](WindowHandle, char* name, size_t size) {
                const std::string& own = fakePlatform.windowMonitor;
                if (own.empty() || own.size() >= size) {
                    return false;
                }
                std::snprintf(name, size, "%s", own.c_str());
                return true;
            },
        .monitorNamed =
            [](const char* name, WinRect* out) {
                const auto found = fakePlatform.monitors.find(name);
                if (found == fakePlatform.monitors.end()) {
                    return false;
                }
                *out = found->second;
                return true;
            },
        .refreshRateHz = [](WindowHandle) { return fakePlatform.refreshHz; },
        .messageBox = fakeMessageBox,
        .playSound = fakeSound,
    };
}
