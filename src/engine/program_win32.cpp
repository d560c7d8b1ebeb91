// The window class, the window and the main loop.
#include <windows.h>

#include "base/platform_win32.h"
#include "engine/crash_release.h"
#include "engine/engine.h"
#include "engine/program_win32.h"
#include "engine/window_ghosting.h"
#include "engine/window_modes.h"
#include "engine/window_proc.h"
#include "graphics/bitmap_backend_win32.h"
#include "graphics/gdi_frame_target.h"
#include "touch/touch_feedback.h"

namespace {

const char* const ClassName = "KestrunEngine";
const char* const WindowTitle = "Padrelle v1.0";
// Translucent, above every normal window, out of the taskbar and Alt+Tab,
// never activated.
constexpr DWORD OverlayExStyle =
    WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return mainWindowMessage(window, message, wParam, lParam);
}

} // namespace

void prepareWin32Engine(void* instance) {
    moduleInstance = instance;
    // Never a "not responding" ghost over the controller.
    disableWindowGhosting();
    // A crash must not leave a key pressed in the system.
    installCrashRelease();
    useWin32Platform();
    useWin32BitmapBackend();
    useGdiFrameTarget([] { return mainWindow; });
}

int runEngineWindow(const StartScreen& start, int showCommand) {
    HINSTANCE instance = static_cast<HINSTANCE>(moduleInstance);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = ClassName;
    if (RegisterClassExA(&windowClass) == 0) {
        MessageBoxA(nullptr, "Window Registration Failed!", "Error!", MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }

    // The overlay is made a tool window from the start: the taskbar never
    // shows it, and no call ever activates it.
    HWND window =
        CreateWindowExA(start.overlay ? OverlayExStyle : WS_EX_CLIENTEDGE, ClassName, WindowTitle,
                        start.overlay ? WS_POPUP : WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 1300, 763, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        MessageBoxA(nullptr, "Window Creation Failed!", "Error!", MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }

    // The window menu (the title bar's right click, Alt+Space) has the
    // scene's commands, built when the window is made.
    turnOffTouchFeedback(window);
    if (start.overlay) {
        // Shaped, translucent and over the monitor before it is first seen.
        placeWindowAtStart(window, 1280, 720, start);
        win32ShowWindow(window, SW_SHOWNOACTIVATE);
    } else {
        showWindowAtStart(window, showCommand);
        placeWindowAtStart(window, 1280, 720, start);
    }
    runMainLoop();
    return 0;
}
