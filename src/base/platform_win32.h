// Installs the real Win32 calls in the platform table (Windows builds only).
#pragma once

#include "base/platform.h"

#include <cstdint>

void useWin32Platform();
// The overlay's calls (overlay_window_win32.cpp): showing, opacity, shape,
// exclusive full screen.
void win32ShowWindow(WindowHandle window, int32_t command);
int32_t win32WindowAbove(WindowHandle window);
bool win32SetWindowOpacity(WindowHandle window, uint8_t alpha);
bool win32SetWindowShape(WindowHandle window, const WinRect* boxes, int32_t count);
bool win32ExclusiveFullScreen();
bool win32GiveForeground(WindowHandle window, WindowHandle to);
