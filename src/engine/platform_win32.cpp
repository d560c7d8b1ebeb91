// The platform table filled with the real Win32 calls.
#include <windows.h>

#include <mmsystem.h>

#include <cstring>

#include "engine/platform.h"
#include "engine/platform_win32.h"

namespace {

MSG pumpMessage;

HWND asWindow(WindowHandle window) {
    return static_cast<HWND>(window);
}

uint32_t realTime() {
    return timeGetTime();
}

uint64_t realPreciseTime() {
    static const int64_t frequency = [] {
        LARGE_INTEGER f = {};
        return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : int64_t{1};
    }();
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    // Seconds and the rest apart, so that the product never overflows.
    const int64_t seconds = now.QuadPart / frequency;
    const int64_t rest = now.QuadPart % frequency;
    return static_cast<uint64_t>(seconds) * 1000000u +
           static_cast<uint64_t>(rest * 1000000 / frequency);
}

int16_t realKeyState(int32_t key) {
    return GetAsyncKeyState(key);
}

void realSetCapture(WindowHandle window) {
    SetCapture(asWindow(window));
}
void realReleaseCapture() {
    ReleaseCapture();
}

bool realScreenToClient(WindowHandle window, int32_t* x, int32_t* y) {
    POINT p = {*x, *y};
    if (!ScreenToClient(asWindow(window), &p)) {
        return false;
    }
    *x = p.x;
    *y = p.y;
    return true;
}

void fromRect(const RECT& r, WinRect* out) {
    *out = {r.left, r.top, r.right, r.bottom};
}
RECT toRect(const WinRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

bool realClientRect(WindowHandle window, WinRect* out) {
    RECT r = {};
    if (!GetClientRect(asWindow(window), &r)) {
        return false;
    }
    fromRect(r, out);
    return true;
}

int32_t realTake() {
    if (!PeekMessageA(&pumpMessage, nullptr, 0, 0, PM_REMOVE)) {
        return 0;
    }
    return pumpMessage.message == WM_QUIT ? -1 : 1;
}
void realDispatch() {
    TranslateMessage(&pumpMessage);
    DispatchMessageA(&pumpMessage);
}

// Touch and pointer input have wake bits of their own from Windows 8 on;
// Windows 7 refuses them, and then the classic set is used.
constexpr DWORD QueueTouch = 0x0800;
constexpr DWORD QueuePointer = 0x1000;
DWORD wakeMask = QS_ALLINPUT | QueueTouch | QueuePointer;

bool realWaitForInput(uint32_t timeoutMs) {
    const DWORD timeout = timeoutMs == WaitForever ? INFINITE : timeoutMs;
    DWORD result = MsgWaitForMultipleObjectsEx(0, nullptr, timeout, wakeMask, MWMO_INPUTAVAILABLE);
    if (result == WAIT_FAILED && wakeMask != QS_ALLINPUT) {
        wakeMask = QS_ALLINPUT;
        result = MsgWaitForMultipleObjectsEx(0, nullptr, timeout, wakeMask, MWMO_INPUTAVAILABLE);
    }
    if (result == WAIT_FAILED) {
        // Never spin on a wait that cannot wait: yield for a moment instead.
        Sleep(timeoutMs == WaitForever ? 10 : (timeoutMs < 10 ? timeoutMs : 10));
        return false;
    }
    return result == WAIT_OBJECT_0;
}

uintptr_t realExtraInfo() {
    return static_cast<uintptr_t>(GetMessageExtraInfo());
}

intptr_t realDefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
    return DefWindowProcA(asWindow(window), message, wParam, lParam);
}

void realPostQuit(int32_t code) {
    PostQuitMessage(code);
}

bool realRegisterTouch(WindowHandle window, uint32_t flags) {
    return RegisterTouchWindow(asWindow(window), flags) != 0;
}

int32_t realGetWindowLong(WindowHandle window, int32_t index) {
    return GetWindowLongA(asWindow(window), index);
}

int32_t realSetWindowLong(WindowHandle window, int32_t index, int32_t value) {
    return SetWindowLongA(asWindow(window), index, value);
}

bool realWindowRect(WindowHandle window, WinRect* out) {
    RECT r = {};
    if (!GetWindowRect(asWindow(window), &r)) {
        return false;
    }
    fromRect(r, out);
    return true;
}

bool realAdjust(WinRect* rect, uint32_t style, bool menu, uint32_t exStyle) {
    RECT r = toRect(*rect);
    if (!AdjustWindowRectEx(&r, style, menu ? TRUE : FALSE, exStyle)) {
        return false;
    }
    fromRect(r, rect);
    return true;
}

bool realMonitorRect(const WinRect* nearRect, WinRect* out) {
    const RECT r = toRect(*nearRect);
    HMONITOR monitor = MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST);
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !GetMonitorInfoA(monitor, &info)) {
        return false;
    }
    fromRect(info.rcMonitor, out);
    return true;
}

bool realSetWindowPos(WindowHandle window, WindowHandle after, int32_t x, int32_t y, int32_t w,
                      int32_t h, uint32_t flags) {
    return SetWindowPos(asWindow(window), asWindow(after), x, y, w, h, flags) != 0;
}

bool realMonitorName(WindowHandle window, char* name, size_t size) {
    HMONITOR monitor = MonitorFromWindow(asWindow(window), MONITOR_DEFAULTTONEAREST);
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    if (monitor == nullptr || size == 0 || !GetMonitorInfoA(monitor, &info)) {
        return false;
    }
    const size_t length = strnlen(info.szDevice, sizeof info.szDevice);
    if (length == 0 || length >= size) {
        return false;
    }
    memcpy(name, info.szDevice, length);
    name[length] = '\0';
    return true;
}

struct MonitorSearch {
    const char* name;
    RECT found;
    bool matched;
};

BOOL CALLBACK matchMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* search = reinterpret_cast<MonitorSearch*>(data);
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info) &&
        strncmp(info.szDevice, search->name, sizeof info.szDevice) == 0) {
        search->found = info.rcMonitor;
        search->matched = true;
        return FALSE;
    }
    return TRUE;
}

bool realMonitorNamed(const char* name, WinRect* out) {
    MonitorSearch search = {name, {}, false};
    EnumDisplayMonitors(nullptr, nullptr, matchMonitor, reinterpret_cast<LPARAM>(&search));
    if (search.matched) {
        fromRect(search.found, out);
    }
    return search.matched;
}

int32_t realRefreshRate(WindowHandle window) {
    HDC dc = GetDC(asWindow(window));
    if (dc == nullptr) {
        return 0;
    }
    const int hz = GetDeviceCaps(dc, VREFRESH);
    ReleaseDC(asWindow(window), dc);
    // 0 and 1 stand for the hardware's default rate.
    return hz > 1 ? hz : 0;
}

int32_t realMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t type) {
    return MessageBoxA(asWindow(owner), text, caption, type);
}

bool realPlaySound(const char* name, uint32_t flags) {
    return PlaySoundA(name, nullptr, flags) != 0;
}

} // namespace

void useWin32Platform(intptr_t (*touchMessage)(WindowHandle, uintptr_t, intptr_t)) {
    platform = Platform{
        .timeMs = realTime,
        .preciseTimeUs = realPreciseTime,
        .asyncKeyState = realKeyState,
        .setCapture = realSetCapture,
        .releaseCapture = realReleaseCapture,
        .screenToClient = realScreenToClient,
        .clientRect = realClientRect,
        .takeMessage = realTake,
        .dispatchMessage = realDispatch,
        .waitForInput = realWaitForInput,
        .messageExtraInfo = realExtraInfo,
        .defWindowProc = realDefWindowProc,
        .postQuitMessage = realPostQuit,
        .registerTouchWindow = realRegisterTouch,
        .touchMessage = touchMessage,
        .getWindowLong = realGetWindowLong,
        .setWindowLong = realSetWindowLong,
        .windowRect = realWindowRect,
        .adjustWindowRectEx = realAdjust,
        .monitorRect = realMonitorRect,
        .setWindowPos = realSetWindowPos,
        .monitorName = realMonitorName,
        .monitorNamed = realMonitorNamed,
        .refreshRateHz = realRefreshRate,
        .messageBox = realMessageBox,
        .playSound = realPlaySound,
    };
}
