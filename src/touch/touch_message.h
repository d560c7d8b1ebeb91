// WM_TOUCH: the records of a touch message are read and filed in the table.
#pragma once

#include "base/platform.h"

#include <cstdint>

// Reads the message's records (as many as the low word of wParam says) from
// the touch input handle in lParam, files them and closes the handle: the
// message is handled, 0. A message whose records cannot be read goes to the
// default handling, which closes its handle; its result is given.
intptr_t handleTouchMessage(WindowHandle window, uintptr_t wParam, intptr_t lParam);

// More records than a message can carry in a fixed buffer are read into one
// made for the message.
constexpr uint32_t TouchRecordsOnStack = 32;
