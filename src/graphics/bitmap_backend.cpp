#include "graphics/bitmap_backend.h"

namespace {

BitmapHandle loadNothing(const char*) {
    return nullptr;
}

BitmapHandle loadNoResource(uint16_t) {
    return nullptr;
}

bool noSize(BitmapHandle, int32_t*, int32_t*) {
    return false;
}

void destroyNothing(BitmapHandle) {}

} // namespace

BitmapBackend bitmapBackend = {loadNothing, loadNoResource, noSize, destroyNothing};

void resetBitmapBackend() {
    bitmapBackend = {loadNothing, loadNoResource, noSize, destroyNothing};
}
