// The window must never be replaced by a "not responding" ghost.
#pragma once

// Windows only (window_ghosting_win32.cpp): turns off the ghost window for the
// process, where the system offers it. Called at start.
void disableWindowGhosting();
