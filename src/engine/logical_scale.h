// The stretch between window pixels and the 1280 x 720 logical screen.
#pragma once

#include <cstdint>

constexpr int32_t LogicalWidth = 1280;
constexpr int32_t LogicalHeight = 720;

// value x (logical / size) in single precision, the factor formed first,
// truncated toward zero. A size of 0 or less has no stretch and gives 0; a
// product beyond the 32-bit range is clamped to it.
int32_t scaleToLogical(int32_t value, int32_t size, int32_t logical);

// Where the 1280 x 720 screen lies in a client area: all of it, stretched
// (the default); or, while the layout keeps its proportions, the largest
// 16:9 box in its middle, with empty bars beside or above and below it.
struct FrameView {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};
void keepFrameProportions(bool keep);
FrameView frameViewIn(int32_t clientWidth, int32_t clientHeight);

// A point of the bars, where nothing is drawn: no control lies there.
constexpr int32_t OutsideTheFrame = -1000000;

// A client position on the logical screen, through the frame's view;
// OutsideTheFrame in both for a point in the bars.
void clientToLogical(int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight,
                     int32_t* logicalX, int32_t* logicalY);
