// Where a composed frame goes: the GDI back buffer shown in the main window,
// or a native pixel buffer.
#pragma once

#include "graphics/canvas.h"

#include <cstdint>

using ComposeFrame = void (*)(Canvas& canvas);

constexpr int32_t FrameWidth = 1280;
constexpr int32_t FrameHeight = 720;

// A rectangle of pixels: x, y and its size.
struct PixelRegion {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// A frame in layers, so that what stays the same from frame to frame is
// composed once: the base (pad outlines, the disc), the base with every pad's
// picture over it (the lit layer), the regions taken from the lit layer (the
// pressed pads), and everything else drawn over them. The layers are composed
// again only when their version changes.
struct FramePlan {
    uint64_t layersVersion;
    ComposeFrame composeBase;
    ComposeFrame composeLit;
    const PixelRegion* litRegions;
    int32_t litCount;
    ComposeFrame composeTop;
    // Of everything the frame shows, the layers' version aside: a frame of
    // the same fingerprint as the one shown is the same picture. 0: unknown.
    uint64_t fingerprint;
};

class FrameTarget {
  public:
    virtual ~FrameTarget() = default;
    // Composes the plan's frame at 1280 x 720 and shows it: only what changed
    // since the last frame, or, when `whole`, all of it (the window lost its
    // picture).
    virtual void present(const FramePlan& plan, bool whole) = 0;
};

// Null: frames are composed nowhere.
extern FrameTarget* frameTarget;
