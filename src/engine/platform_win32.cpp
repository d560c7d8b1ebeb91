// The platform table filled with the real Win32 calls.
#include <windows.h>

#include <mmsystem.h>

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
int16_t realKeyState(int32_t key) {
    return GetAsyncKeyState(key);
}

bool realCursorPos(int32_t* x, int32_t* y) {
    POINT p = {};
    if (!GetCursorPos(&p)) {
        return false;
    }
    *x = p.x;
    *y = p.y;
    return true;
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

bool realPeek() {
    return PeekMessageA(&pumpMessage, nullptr, 0, 0, PM_NOREMOVE) != 0;
}
int32_t realGet() {
    return GetMessageA(&pumpMessage, nullptr, 0, 0);
}
void realDispatch() {
    TranslateMessage(&pumpMessage);
    DispatchMessageA(&pumpMessage);
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

int32_t realMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t type) {
    return MessageBoxA(asWindow(owner), text, caption, type);
}

bool realPlaySound(const char* name, uint32_t flags) {
    return PlaySoundA(name, nullptr, flags) != 0;
}

} // namespace

void useWin32Platform(intptr_t (*touchMessage)(WindowHandle, uintptr_t, intptr_t)) {
    platform.timeMs = realTime;
    platform.asyncKeyState = realKeyState;
    platform.cursorPos = realCursorPos;
    platform.screenToClient = realScreenToClient;
    platform.clientRect = realClientRect;
    platform.peekMessage = realPeek;
    platform.getMessage = realGet;
    platform.dispatchMessage = realDispatch;
    platform.defWindowProc = realDefWindowProc;
    platform.postQuitMessage = realPostQuit;
    platform.registerTouchWindow = realRegisterTouch;
    platform.touchMessage = touchMessage;
    platform.getWindowLong = realGetWindowLong;
    platform.setWindowLong = realSetWindowLong;
    platform.windowRect = realWindowRect;
    platform.adjustWindowRectEx = realAdjust;
    platform.monitorRect = realMonitorRect;
    platform.setWindowPos = realSetWindowPos;
    platform.messageBox = realMessageBox;
    platform.playSound = realPlaySound;
}
