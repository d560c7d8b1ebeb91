// The system's own reactions to touches over the window (Windows builds only;
// touch_feedback_win32.cpp).
#pragma once

#include "base/platform.h"

// Turns off the contact visualisation and the tap, double-tap, press-and-hold
// and right-tap feedback for the window, where the system offers them
// (Windows 8 and later); elsewhere does nothing.
void turnOffTouchFeedback(WindowHandle window);
