#include "base/logical_scale.h"

#include <cmath>

int32_t scaleToLogical(int32_t value, int32_t size, int32_t logical) {
    if (size <= 0) {
        return 0;
    }
    const float factor = static_cast<float>(logical) / static_cast<float>(size);
    const float product = static_cast<float>(value) * factor;
    // 2^31 is exact in float; anything at or past it does not fit.
    if (!(product < 2147483648.0f)) {
        return INT32_MAX;
    }
    if (!(product > -2147483648.0f)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(product);
}

namespace {

bool keepProportions = false;
bool spaceSet = false;
FrameSpace frameSpace = {};

FrameView viewIn(int32_t clientWidth, int32_t clientHeight) {
    if (!keepProportions || clientWidth <= 0 || clientHeight <= 0) {
        return FrameView{0, 0, clientWidth, clientHeight};
    }
    // Width over height against 16:9, in 64 bits.
    const int64_t wide = int64_t{clientWidth} * LogicalHeight;
    const int64_t high = int64_t{clientHeight} * LogicalWidth;
    if (wide > high) {
        const auto width = static_cast<int32_t>(high / LogicalHeight);
        return FrameView{(clientWidth - width) / 2, 0, width, clientHeight};
    }
    const auto height = static_cast<int32_t>(wide / LogicalWidth);
    return FrameView{0, (clientHeight - height) / 2, clientWidth, height};
}

} // namespace

void keepFrameProportions(bool keep) {
    keepProportions = keep;
    spaceSet = false;
}

void setFrameSpace(const FrameSpace* space) {
    spaceSet = space != nullptr && space->width > 0 && space->height > 0;
    frameSpace = spaceSet ? *space : FrameSpace{};
}

FrameView frameViewIn(int32_t clientWidth, int32_t clientHeight) {
    if (!spaceSet) {
        return viewIn(clientWidth, clientHeight);
    }
    FrameView view = viewIn(frameSpace.width, frameSpace.height);
    view.x -= frameSpace.x;
    view.y -= frameSpace.y;
    return view;
}

void clientToLogical(int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight,
                     int32_t* logicalX, int32_t* logicalY) {
    const FrameView view = frameViewIn(clientWidth, clientHeight);
    if (keepProportions && (int64_t{x} < view.x || int64_t{x} >= int64_t{view.x} + view.width ||
                            int64_t{y} < view.y || int64_t{y} >= int64_t{view.y} + view.height)) {
        *logicalX = OutsideTheFrame;
        *logicalY = OutsideTheFrame;
        return;
    }
    *logicalX = scaleToLogical(static_cast<int32_t>(int64_t{x} - view.x), view.width, LogicalWidth);
    *logicalY =
        scaleToLogical(static_cast<int32_t>(int64_t{y} - view.y), view.height, LogicalHeight);
}
