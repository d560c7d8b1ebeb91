// A window's shape in the form a region's data takes it.
#pragma once

#include "base/platform.h"

#include <vector>

// The union of any boxes (overlapping, touching, empty, in any order) as
// RGNDATA holds a region's rectangles: sorted top to bottom, then left to
// right, none overlapping. Rows that cover the same columns share one band.
void shapeBands(std::vector<WinRect>& boxes);
