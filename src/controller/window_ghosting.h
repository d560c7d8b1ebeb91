// Key assignment blocks the message loop for as long as the player takes;
// the prompt must stay on the screen meanwhile.
#pragma once

// Windows only (window_ghosting_win32.cpp): turns off the "not responding"
// ghost window for the process, where the system offers it. Called by WinMain
// at start.
void disableWindowGhosting();
