// The window procedure's portable half and the mouse state.
#pragma once

#include "engine/platform.h"

#include <cstdint>

struct MouseState {
    int32_t x;
    int32_t y;
    int32_t leftHeld;
    int32_t leftPressed;
    int32_t leftDownLatch;
    int32_t rightHeld;
    int32_t rightPressed;
    int32_t rightDownLatch;
    WinRect clientRect;
    int32_t clientWidth;
    int32_t clientHeight;
};

// The answer to WM_TABLET_QUERYSYSTEMGESTURESTATUS.
extern const uint32_t SystemGesturesOff;

extern WindowHandle mainWindow;
extern int32_t windowActive;
extern MouseState mouseState;

// Acts on one window message as the engine's window procedure does; gives
// the message's result. The Win32 mainWindowProc forwards here.
intptr_t mainWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam);

void pollMouse();

void resetWindowState();
