// The stretch between window pixels and the 1280 x 720 logical screen.
#pragma once

#include <cstdint>

constexpr int32_t LogicalWidth = 1280;
constexpr int32_t LogicalHeight = 720;

// value x (logical / size) in single precision, the factor formed first,
// truncated toward zero. A size of 0 or less has no stretch and gives 0; a
// product beyond the 32-bit range is clamped to it.
int32_t scaleToLogical(int32_t value, int32_t size, int32_t logical);
