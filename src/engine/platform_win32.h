// Installs the real Win32 calls in the platform table (Windows builds only).
#pragma once

#include "engine/platform.h"

#include <cstdint>

void useWin32Platform();
