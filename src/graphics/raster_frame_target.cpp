#include "graphics/raster_frame_target.h"

#include "graphics/raster_canvas.h"

#include <algorithm>

RasterFrameTarget::RasterFrameTarget() : image(FrameWidth, FrameHeight, 0) {}

void RasterFrameTarget::present(ComposeFrame compose) {
    std::fill(image.pixels.begin(), image.pixels.end(), 0u);
    if (compose != nullptr) {
        RasterCanvas canvas(image);
        compose(canvas);
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
