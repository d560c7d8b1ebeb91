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

// Where the window opens: on a given monitor, windowed or full screen; or,
// without one, windowed and centred on the monitor it is on.
struct StartScreen {
    bool onMonitor;
    WinRect monitor; // the monitor's whole rectangle
    bool fullScreen;
};
void placeWindowAtStart(WindowHandle window, int32_t clientWidth, int32_t clientHeight,
                        const StartScreen& start);
