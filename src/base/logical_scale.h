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
// Keeping proportions or not; either way the frame's space is the client
// area again.
void keepFrameProportions(bool keep);
FrameView frameViewIn(int32_t clientWidth, int32_t clientHeight);

// The overlay's window covers only the part of the monitor its controls
// need, while the frame lies on the whole monitor as before: the frame's
// view is worked out for a space of the monitor's size, and the client area
// is the part of that space at (x, y). Null: the space is the client area.
struct FrameSpace {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};
void setFrameSpace(const FrameSpace* space);

// A point of the bars, where nothing is drawn: no control lies there.
constexpr int32_t OutsideTheFrame = -1000000;

// A client position on the logical screen, through the frame's view;
// OutsideTheFrame in both for a point in the bars.
void clientToLogical(int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight,
                     int32_t* logicalX, int32_t* logicalY);
