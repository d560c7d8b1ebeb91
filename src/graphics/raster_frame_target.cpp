#include "graphics/raster_frame_target.h"

#include "graphics/frame_pixels.h"
#include "graphics/raster_canvas.h"

#include <algorithm>

namespace {

// A layer starts black, as a fresh GDI bitmap does.
void composeLayer(PixelImage& layer, ComposeFrame compose) {
    std::fill(layer.pixels.begin(), layer.pixels.end(), 0u);
    if (compose != nullptr) {
        RasterCanvas canvas(layer);
        compose(canvas);
    }
}

} // namespace

RasterFrameTarget::RasterFrameTarget()
    : image(FrameWidth, FrameHeight, 0), base(FrameWidth, FrameHeight, 0),
      lit(FrameWidth, FrameHeight, 0) {}

void RasterFrameTarget::present(const FramePlan& plan, bool) {
    if (!layersReady || plan.layersVersion != layersVersion) {
        composeLayer(base, plan.composeBase);
        composeLayer(lit, plan.composeLit);
        layersReady = true;
        layersVersion = plan.layersVersion;
        ++layerCompositions;
    }
    assembleFrame(image.pixels.data(), base.pixels.data(), lit.pixels.data(), plan.litRegions,
                  plan.litCount);
    if (plan.composeTop != nullptr) {
        RasterCanvas canvas(image);
        plan.composeTop(canvas);
    }
    ++presented;
    if (callback != nullptr) {
        callback(image, context);
    }
}

void RasterFrameTarget::onPresented(FramePresented newCallback, void* newContext) {
    callback = newCallback;
    context = newContext;
}

FramePlan wholeFramePlan(ComposeFrame compose) {
    return FramePlan{0, nullptr, nullptr, nullptr, 0, compose, 0};
}
