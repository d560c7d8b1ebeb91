// Reading WM_TOUCH messages (Windows builds only).
#pragma once

#include "engine/platform.h"

#include <cstdint>

intptr_t handleTouchMessage(WindowHandle window, uintptr_t wParam, intptr_t lParam);
