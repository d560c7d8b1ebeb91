#include "support/fake_platform.h"

#include "base/win_constants.h"
#include "engine/window_proc.h"

#include <algorithm>
#include <cstdio>

std::atomic<int> fakeMainLoopWakes{0};
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
    const WinRect& origin =
        fakePlatform.clientIsWindow ? fakePlatform.windowRect : fakePlatform.clientOrigin;
    *x -= origin.left;
    *y -= origin.top;
    return true;
}

bool fakeClientRect(WindowHandle, WinRect* out) {
    if (fakePlatform.clientRectFails) {
        return false;
    }
    const WinRect& window = fakePlatform.windowRect;
    *out = fakePlatform.clientIsWindow
               ? WinRect{0, 0, window.right - window.left, window.bottom - window.top}
               : fakePlatform.client;
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

// As PeekMessage with PM_NOREMOVE finds them: posted messages only.
bool fakeCloseQueued() {
    for (const FakeMessage& waiting : fakePlatform.queue) {
        if (waiting.message == win::WM_CLOSE || waiting.message == WM_QUIT ||
            (waiting.message == win::WM_SYSCOMMAND && (waiting.wParam & 0xFFF0) == win::SC_CLOSE)) {
            return true;
        }
    }
    return false;
}

void fakeDispatch() {
    const FakeMessage message = fakePlatform.current;
    fakePlatform.dispatched.push_back(message);
    if (fakePlatform.onDispatch) {
        fakePlatform.onDispatch(message);
    }
    mainWindowMessage(mainWindow, message.message, message.wParam, message.lParam);
}

void fakeCloseTouch(intptr_t handle);

intptr_t fakeDefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
    fakePlatform.defaultHandled.push_back({message, wParam, lParam});
    const bool captionButton =
        wParam == win::HTMINBUTTON || wParam == win::HTMAXBUTTON || wParam == win::HTCLOSE;
    if (message == win::WM_NCLBUTTONDOWN && captionButton && fakePlatform.captionButtonLoop) {
        fakePlatform.captionButtonLoop(window);
    }
    // The default handling of a touch message closes its handle.
    if (message == win::WM_TOUCH) {
        fakeCloseTouch(lParam);
    }
    return 77;
}

void fakeQuit(int32_t code) {
    fakePlatform.quitCodes.push_back(code);
}

bool fakeRegisterTouch(WindowHandle, uint32_t flags) {
    fakePlatform.calls.push_back("registerTouchWindow " + hex(static_cast<int32_t>(flags)));
    return !fakePlatform.touchRegistrationFails;
}

bool touchHandleClosed(intptr_t handle, const char* what) {
    const auto& closed = fakePlatform.closedTouchHandles;
    if (std::find(closed.begin(), closed.end(), handle) == closed.end()) {
        return false;
    }
    fakePlatform.touchFaults.push_back(std::string(what) + " a closed touch handle");
    return true;
}

bool fakeReadTouch(intptr_t handle, TouchInput* records, uint32_t count) {
    const auto found = fakePlatform.touchInputs.find(handle);
    if (touchHandleClosed(handle, "read") || found == fakePlatform.touchInputs.end()) {
        return false;
    }
    // GetTouchInputInfo fills at most the records the handle has.
    for (uint32_t i = 0; i < count && i < found->second.size(); ++i) {
        records[i] = found->second[i];
    }
    return count <= found->second.size();
}

void fakeCloseTouch(intptr_t handle) {
    if (!touchHandleClosed(handle, "closed")) {
        fakePlatform.closedTouchHandles.push_back(handle);
    }
}

int32_t fakeGetWindowLong(WindowHandle, int32_t index) {
    return index == win::GWL_STYLE ? fakePlatform.style : fakePlatform.exStyle;
}

int32_t fakeSetWindowLong(WindowHandle, int32_t index, int32_t value) {
    const bool isStyle = index == win::GWL_STYLE;
    int32_t& field = isStyle ? fakePlatform.style : fakePlatform.exStyle;
    const int32_t previous = field;
    const auto taskbarBits = static_cast<int32_t>(win::WS_EX_TOOLWINDOW | win::WS_EX_APPWINDOW);
    if (!isStyle && fakePlatform.visible && ((previous ^ value) & taskbarBits) != 0) {
        ++fakePlatform.taskbarStyleChangesWhileShown;
    }
    field = value;
    fakePlatform.calls.push_back(std::string(isStyle ? "style " : "exStyle ") + hex(value));
    return previous;
}

bool fakeWindowRect(WindowHandle, WinRect* out) {
    *out = fakePlatform.windowRect;
    return true;
}

// As AdjustWindowRectEx: the frame around the client, and a menu bar's
// height above it for a window with a menu.
bool fakeAdjust(WinRect* rect, uint32_t style, bool menu, uint32_t exStyle, uint32_t dpi) {
    fakePlatform.calls.push_back("adjust " + hex(static_cast<int32_t>(style)) + " " +
                                 hex(static_cast<int32_t>(exStyle)) + " dpi " +
                                 std::to_string(dpi));
    const int32_t scale = dpi != 0 ? static_cast<int32_t>(dpi) : 96;
    rect->left += fakePlatform.frame.left * scale / 96;
    rect->top += (fakePlatform.frame.top - (menu ? 20 : 0)) * scale / 96;
    rect->right += fakePlatform.frame.right * scale / 96;
    rect->bottom += fakePlatform.frame.bottom * scale / 96;
    return true;
}

bool fakeMonitor(const WinRect* near, MonitorArea* out) {
    fakePlatform.monitorQueries.push_back(*near);
    *out = MonitorArea{fakePlatform.monitor, fakePlatform.workArea};
    return true;
}

// As SetWindowPos does: the size and place unless kept, and the topmost band
// joined or left as asked.
bool fakeSetWindowPos(WindowHandle, WindowHandle after, int32_t x, int32_t y, int32_t w, int32_t h,
                      uint32_t flags) {
    const intptr_t insertAfter = reinterpret_cast<intptr_t>(after);
    fakePlatform.positions.push_back({insertAfter, x, y, w, h, flags});
    // Windows activates the window unless told not to.
    if ((flags & win::SWP_NOACTIVATE) == 0) {
        ++fakePlatform.activations;
    }
    WinRect& r = fakePlatform.windowRect;
    if ((flags & win::SWP_NOMOVE) == 0) {
        r = {x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
    }
    if ((flags & win::SWP_NOSIZE) == 0) {
        r = {r.left, r.top, r.left + w, r.top + h};
    }
    if (insertAfter == win::HWND_TOPMOST) {
        fakePlatform.exStyle |= static_cast<int32_t>(win::WS_EX_TOPMOST);
        // To the top of the topmost band, if Windows lets the program bring
        // its window to the top (SetWindowPos: only with the permission to
        // set the foreground window, as after it received the last input).
        if ((flags & win::SWP_NOZORDER) == 0 && fakePlatform.mayRaise) {
            fakePlatform.windowsAbove.clear();
        }
    } else if (insertAfter == win::HWND_NOTOPMOST) {
        fakePlatform.exStyle &= ~static_cast<int32_t>(win::WS_EX_TOPMOST);
    }
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

uint64_t timerPeriodUs(uint32_t askedMs) {
    const uint64_t ticks = (uint64_t{askedMs} * 1000 + SystemTickUs - 1) / SystemTickUs;
    return (ticks > 0 ? ticks : 1) * SystemTickUs;
}

void runModalLoop(WindowHandle window, uint32_t ms, const std::function<void(uint32_t)>& during) {
    for (uint32_t elapsed = 1; elapsed <= ms; ++elapsed) {
        ++fakePlatform.time;
        during(elapsed);
        while (!fakePlatform.queue.empty()) {
            const FakeMessage message = fakePlatform.queue.front();
            fakePlatform.queue.pop_front();
            fakePlatform.dispatched.push_back(message);
            mainWindowMessage(window, message.message, message.wParam, message.lParam);
        }
        const uint64_t nowUs = uint64_t{fakePlatform.time} * 1000;
        for (const auto& [id, asked] : std::map<uintptr_t, uint32_t>(fakePlatform.timers)) {
            auto due = fakePlatform.timerDueUs.find(id);
            if (due != fakePlatform.timerDueUs.end() && due->second <= nowUs) {
                due->second += timerPeriodUs(asked);
                mainWindowMessage(window, win::WM_TIMER, id, 0);
            }
        }
    }
}

bool inRegionDataForm(const WinRect* boxes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const WinRect& a = boxes[i];
        if (a.right <= a.left || a.bottom <= a.top) {
            return false;
        }
        if (i > 0 && (a.top < boxes[i - 1].top ||
                      (a.top == boxes[i - 1].top && a.left < boxes[i - 1].right))) {
            return false;
        }
        for (size_t j = 0; j < i; ++j) {
            const WinRect& b = boxes[j];
            if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom) {
                return false;
            }
        }
    }
    return true;
}

void installFakePlatform() {
    fakePlatform = FakePlatform{};
    platform = Platform{
        .timeMs = fakeTime,
        .preciseTimeUs = [] { return fakePlatform.preciseUs; },
        .asyncKeyState = fakeKey,
        .setCapture = [](WindowHandle) { fakePlatform.calls.push_back("setCapture"); },
        .releaseCapture = [] { fakePlatform.calls.push_back("releaseCapture"); },
        .trackMouseLeave = [](WindowHandle) { fakePlatform.calls.push_back("trackMouseLeave"); },
        .primaryButtonDown = [] { return fakePlatform.buttonDown; },
        .screenToClient = fakeScreenToClient,
        .clientRect = fakeClientRect,
        .takeMessage = fakeTake,
        .closeQueued = fakeCloseQueued,
        .dispatchMessage = fakeDispatch,
        .waitForInput =
            [](uint32_t timeoutMs) {
                fakePlatform.waits.push_back(timeoutMs);
                if (fakePlatform.onWait) {
                    fakePlatform.onWait(timeoutMs);
                }
                return !fakePlatform.queue.empty();
            },
        .waitForInputUntilUs =
            [](uint64_t deadlineUs) {
                fakePlatform.preciseWaits.push_back(deadlineUs);
                if (fakePlatform.queue.empty() && fakePlatform.preciseUs < deadlineUs) {
                    fakePlatform.preciseUs = deadlineUs;
                }
                return !fakePlatform.queue.empty();
            },
        .wakeMainLoop = [] { fakeMainLoopWakes.fetch_add(1); },
        .messageExtraInfo = [] { return fakePlatform.extraInfo; },
        .defWindowProc = fakeDefWindowProc,
        .postQuitMessage = fakeQuit,
        .registerTouchWindow = fakeRegisterTouch,
        .readTouchInputs = fakeReadTouch,
        .closeTouchInput = fakeCloseTouch,
        .getWindowLong = fakeGetWindowLong,
        .setWindowLong = fakeSetWindowLong,
        .windowRect = fakeWindowRect,
        .adjustWindowRectEx = fakeAdjust,
        .windowDpi = [](WindowHandle) { return fakePlatform.dpi; },
        .monitorRect = fakeMonitor,
        .setWindowPos = fakeSetWindowPos,
        .showWindow =
            [](WindowHandle, int32_t command) {
                fakePlatform.visible = command != win::SW_HIDE;
                fakePlatform.calls.push_back(command == win::SW_HIDE ? "hide" : "show");
            },
        .setWindowOpacity =
            [](WindowHandle, uint8_t alpha) {
                fakePlatform.alpha = alpha;
                return (fakePlatform.exStyle & static_cast<int32_t>(win::WS_EX_LAYERED)) != 0;
            },
        .setWindowShape =
            [](WindowHandle, const WinRect* boxes, int32_t count) {
                ++fakePlatform.shapeCalls;
                if (boxes != nullptr && !inRegionDataForm(boxes, static_cast<size_t>(count))) {
                    ++fakePlatform.shapesRefused;
                    return false;
                }
                fakePlatform.shaped = boxes != nullptr;
                fakePlatform.shape.assign(boxes, boxes != nullptr ? boxes + count : boxes);
                return true;
            },
        .exclusiveFullScreen = [] { return fakePlatform.exclusiveFullScreen; },
        .windowAbove =
            [](WindowHandle) {
                if (fakePlatform.windowsAbove.empty()) {
                    return WindowAboveNone;
                }
                return fakePlatform.windowsAbove.find('S') != std::string::npos ? WindowAboveShell
                                                                                : WindowAboveOther;
            },
        .monitorName =
            [](WindowHandle, MonitorIdentity* out) {
                const std::string& own = fakePlatform.windowMonitor;
                if (own.empty() || own.size() >= sizeof out->name) {
                    return false;
                }
                std::snprintf(out->name, sizeof out->name, "%s", own.c_str());
                const auto device = fakePlatform.monitorDevices.find(own);
                std::snprintf(out->device, sizeof out->device, "%s",
                              device != fakePlatform.monitorDevices.end() ? device->second.c_str()
                                                                          : "");
                return true;
            },
        .monitorNamed =
            [](const char* name, MonitorArea* out) {
                const auto found = fakePlatform.monitors.find(name);
                if (found == fakePlatform.monitors.end()) {
                    return false;
                }
                *out = found->second;
                return true;
            },
        .monitorWithDevice =
            [](const char* device, MonitorArea* out) {
                for (const auto& [name, id] : fakePlatform.monitorDevices) {
                    const auto found = fakePlatform.monitors.find(name);
                    if (id == device && found != fakePlatform.monitors.end()) {
                        *out = found->second;
                        return true;
                    }
                }
                return false;
            },
        .refreshRateHz = [](WindowHandle) { return fakePlatform.refreshHz; },
        .watchSessionChanges =
            [](WindowHandle, bool watch) {
                fakePlatform.calls.push_back(watch ? "watchSession" : "unwatchSession");
                // WTSRegisterSessionNotification fails until the session's
                // services are ready (RPC_S_INVALID_BINDING).
                return !watch || fakePlatform.sessionServicesReady;
            },
        .consoleDisplayState =
            [](intptr_t lParam) {
                // The fake's lParam is the state itself, or -1 for another setting.
                return static_cast<int32_t>(lParam);
            },
        .programFolder = [](char*, size_t) { return false; },
        .messageBox = fakeMessageBox,
        .playSound = fakeSound,
        .touchPoints = [] { return fakePlatform.touchPoints; },
        .keyboardAttached = [] { return fakePlatform.keyboardAttached; },
        .openInShell =
            [](const char* file, const char* parameters) {
                fakePlatform.opened.push_back(std::string(file) +
                                              (parameters != nullptr ? " " : "") +
                                              (parameters != nullptr ? parameters : ""));
                return fakePlatform.openError;
            },
        .closeWindow = [](WindowHandle) { ++fakePlatform.closeRequests; },
        .setWindowMenu =
            [](WindowHandle, const WindowMenuEntry* entries, int32_t count) {
                fakePlatform.windowMenu.assign(entries, entries + count);
            },
        .setTimer =
            [](WindowHandle, uintptr_t id, uint32_t ms) {
                fakePlatform.timers[id] = ms;
                fakePlatform.timerDueUs[id] =
                    uint64_t{fakePlatform.time} * 1000 + timerPeriodUs(ms);
                return true;
            },
        .killTimer =
            [](WindowHandle, uintptr_t id) {
                fakePlatform.timers.erase(id);
                fakePlatform.timerDueUs.erase(id);
            },
        .giveForeground =
            [](WindowHandle window, WindowHandle to) {
                fakePlatform.calls.push_back("giveForeground");
                fakePlatform.foregroundGivenTo = to;
                fakePlatform.ownWindowInFront = false;
                // Sent at once, as SetForegroundWindow does.
                mainWindowMessage(window, win::WM_ACTIVATE, win::WA_INACTIVE,
                                  reinterpret_cast<intptr_t>(to));
                return true;
            },
        .showWindowCommand =
            [](WindowHandle, int32_t command) {
                const int32_t used =
                    !fakePlatform.showWindowCalled && fakePlatform.launcherShow >= 0
                        ? fakePlatform.launcherShow
                        : command;
                fakePlatform.showWindowCalled = true;
                fakePlatform.visible = used != win::SW_HIDE;
                fakePlatform.minimised = used == win::SW_SHOWMINIMIZED ||
                                         used == win::SW_MINIMIZE ||
                                         used == win::SW_SHOWMINNOACTIVE ||
                                         (fakePlatform.minimised && used == win::SW_SHOWNA);
                fakePlatform.calls.push_back("ShowWindow " + std::to_string(used));
            },
    };
}
