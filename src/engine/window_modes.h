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
