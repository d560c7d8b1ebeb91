// Frames composed into a native 1280 x 720 pixel buffer: each present clears
// it to black (as a fresh GDI bitmap starts), composes onto a raster canvas
// and keeps the result until the next present. A tool can be told of every
// frame, e.g. to save it.
#pragma once

#include "graphics/frame_target.h"
#include "graphics/pixel_image.h"

#include <cstdint>

constexpr int32_t FrameWidth = 1280;
constexpr int32_t FrameHeight = 720;

class RasterFrameTarget : public FrameTarget {
  public:
    using FramePresented = void (*)(const PixelImage& frame, void* context);

    RasterFrameTarget();

    // A null compose leaves a black frame.
    void present(ComposeFrame compose) override;

    const PixelImage& frame() const { return image; }
    int64_t framesPresented() const { return presented; }
    // Called after every present with the finished frame; null for none.
    void onPresented(FramePresented callback, void* context);

  private:
    PixelImage image;
    int64_t presented = 0;
    FramePresented callback = nullptr;
    void* context = nullptr;
};
