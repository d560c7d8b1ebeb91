// Windowed and full-screen modes of the engine's window.
#pragma once

#include "engine/platform.h"

#include <cstdint>

// Where a window of the given outer size goes to be centred on a monitor.
struct WindowPlacement {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};
WindowPlacement centreOnMonitor(const WinRect& outer, const WinRect& monitor);

void setWindowedMode(WindowHandle window, int32_t clientWidth, int32_t clientHeight);
void setFullScreenMode(WindowHandle window);
void setNoActivate(WindowHandle window);
// While another window is active, a click or a touch on this one must not take
// the focus from it: the no-activate style is set. While this one is active
// it is cleared, so that a change of screen mode keeps it active.
void allowActivation(WindowHandle window, bool allow);

// Where the window opens: on a given monitor, windowed or full screen; or,
// without one, windowed and centred on the monitor it is on. Unless it is the
// active window by then, it takes no focus from the first frame on.
struct StartScreen {
    bool onMonitor;
    WinRect monitor; // the monitor's whole rectangle
    bool fullScreen;
};
void placeWindowAtStart(WindowHandle window, int32_t clientWidth, int32_t clientHeight,
                        const StartScreen& start);
