#include "engine/window_proc.h"

#include "engine/engine.h"
#include "engine/win_constants.h"

// No press-and-hold (it delays every touch until the system has decided it
// is no hold), no flicks, no pen feedback drawn over the pads.
const uint32_t SystemGesturesOff =
    win::TABLET_DISABLE_PRESSANDHOLD | win::TABLET_DISABLE_PENTAPFEEDBACK |
    win::TABLET_DISABLE_PENBARRELFEEDBACK | win::TABLET_DISABLE_FLICKS |
    win::TABLET_DISABLE_SMOOTHSCROLLING | win::TABLET_DISABLE_FLICKFALLBACKKEYS;

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
    case win::WM_ENDSESSION:
        // The session ends and the process may be ended as soon as this
        // returns: no key may stay down in the system after it.
        if (wParam != 0) {
            releaseScene();
        }
        return 0;
    case win::WM_TABLET_QUERYSYSTEMGESTURESTATUS:
        return static_cast<intptr_t>(SystemGesturesOff);
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
