#include "engine/window_proc.h"

#include "engine/engine.h"
#include "engine/win_constants.h"

WindowHandle mainWindow = nullptr;
int32_t windowActive = 0;
MouseState mouseState = {};

intptr_t mainWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
    mainWindow = window;
    switch (message) {
    case win::WM_CREATE:
        platform.registerTouchWindow(window, win::TWF_WANTPALM);
        return 0;
    case win::WM_DESTROY:
        stopEngine();
        platform.postQuitMessage(0);
        return 0;
    case win::WM_ACTIVATE:
        windowActive = (wParam & 0xFFFF) != win::WA_INACTIVE ? 1 : 0;
        return 0;
    case win::WM_LBUTTONDOWN:
        mouseState.leftHeld = 1;
        mouseState.leftDownLatch = 1;
        return 0;
    case win::WM_LBUTTONUP:
        mouseState.leftHeld = 0;
        return 0;
    case win::WM_RBUTTONDOWN:
        mouseState.rightHeld = 1;
        mouseState.rightDownLatch = 1;
        return 0;
    case win::WM_RBUTTONUP:
        mouseState.rightHeld = 0;
        return 0;
    case win::WM_TOUCH:
        return platform.touchMessage(window, wParam, lParam);
    default:
        return platform.defWindowProc(window, message, wParam, lParam);
    }
}

void resetWindowState() {
    mainWindow = nullptr;
    windowActive = 0;
    mouseState = MouseState{};
}
