// The engine's window and main loop as a Windows program (Windows builds
// only; program_win32.cpp). The application's entry point calls these.
#pragma once

#include "engine/window_modes.h"

// Keeps the module instance and puts the real calls in place: the platform,
// the bitmaps, the frame target; the ghost window off and the crash release
// on.
void prepareWin32Engine(void* instance);

// Registers the window class, creates and shows the window, places it as
// asked and runs the main loop until the window is gone. The exit code: 0.
// The window is first shown as the program's starter asked (WinMain's show
// command): Padrelle itself never decides to activate it; a launcher that
// keeps the game in front starts it without activation.
int runEngineWindow(const StartScreen& start, int showCommand);
