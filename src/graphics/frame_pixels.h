// The pixel work of a frame, the same for every frame target: putting a frame
// together from its layers, finding what changed since the frame before, and
// the nearest-neighbour stretch onto a larger window.
#pragma once

#include "graphics/frame_target.h"

#include <cstdint>
#include <vector>

// A box of pixels, x0 and y0 inside, x1 and y1 just past it.
struct PixelBox {
    int32_t x0;
    int32_t y0;
    int32_t x1;
    int32_t y1;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// The frame (FrameWidth x FrameHeight, rows FrameWidth pixels apart): the base
// layer, with the regions taken from the lit layer, each cut to the frame;
// no regions when regions is null.
void assembleFrame(uint32_t* frame, const uint32_t* base, const uint32_t* lit,
                   const PixelRegion* regions, int32_t count);

// The smallest box that holds every pixel in which two frames differ.
PixelBox changedBox(const uint32_t* now, const uint32_t* before);
// The same as boxes, at most max of them: each run of rows that differ, with
// unchanged rows between the runs, gets a box of its own (a pad pressed at
// the bottom and one let go at the top are two boxes, not the frame between
// them), and so does each stretch of its columns that differ, with 16 or
// more unchanged columns between them (pads side by side). Boxes past max
// are joined to the last one. Gives how many.
int32_t changedBoxes(const uint32_t* now, const uint32_t* before, PixelBox* boxes, int32_t max);
constexpr int32_t MaxChangedBoxes = 16;

// The destination pixels of a width x height stretch whose nearest source
// pixel lies in the frame's box.
PixelBox stretchedBox(const PixelBox& box, int32_t width, int32_t height);

// Nearest-neighbour stretch of the frame onto width x height pixels (rows
// width pixels apart), only inside the destination box. columns holds the
// source column of each destination column (sourceColumns).
void stretchFrame(const uint32_t* frame, uint32_t* destination, int32_t width, int32_t height,
                  const std::vector<int32_t>& columns, const PixelBox& box);
std::vector<int32_t> sourceColumns(int32_t width);
