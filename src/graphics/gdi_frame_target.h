// Frames drawn into a 1280 x 720 GDI back buffer and stretched onto the main
// window's client area (Windows builds only).
#pragma once

#include "base/platform.h"

// Points frameTarget at the GDI back buffer of the window that window()
// gives, asked at each frame (the engine's main window: it may not be made
// yet, or be gone).
void useGdiFrameTarget(WindowHandle (*window)());
