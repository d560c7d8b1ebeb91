// All the state the program keeps between frames, back to how it is at start.
#pragma once

// The engine (with the controller's scene given to it), the window state,
// the touch table, the bitmap backend, the controller and the frame target,
// as when the program starts. The platform
// and the keyboard-driver table are left as they are: the caller installs
// them.
void resetProgramState();
