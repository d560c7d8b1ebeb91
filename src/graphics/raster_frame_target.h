// Frames composed into a native 1280 x 720 pixel buffer, in layers as the
// GDI back buffer is: the layers kept while their version stays, the pressed
// regions copied from the lit layer, the rest drawn on a raster canvas. The
// result is kept until the next present; a tool can be told of every frame,
// e.g. to save it.
#pragma once

#include "graphics/frame_target.h"
#include "graphics/pixel_image.h"

#include <cstdint>

class RasterFrameTarget : public FrameTarget {
  public:
    using FramePresented = void (*)(const PixelImage& frame, void* context);

    RasterFrameTarget();

    void present(const FramePlan& plan, bool whole) override;

    const PixelImage& frame() const { return image; }
    int64_t framesPresented() const { return presented; }
    // How often the layers were composed.
    int64_t layersComposed() const { return layerCompositions; }
    // Called after every present with the finished frame; null for none.
    void onPresented(FramePresented callback, void* context);

  private:
    PixelImage image;
    PixelImage base;
    PixelImage lit;
    bool layersReady = false;
    uint64_t layersVersion = 0;
    int64_t presented = 0;
    int64_t layerCompositions = 0;
    FramePresented callback = nullptr;
    void* context = nullptr;
};

// A plan without layers: the whole frame composed on black.
FramePlan wholeFramePlan(ComposeFrame compose);
