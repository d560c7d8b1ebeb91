// The native bitmap backend: a file is read by the bitmap-file reader into a
// PixelImage on the heap, and that PixelImage is the handle (the raster
// canvas draws it as such).
#include "graphics/bitmap_backend.h"
#include "graphics/bmp_reader.h"
#include "graphics/pixel_image.h"

#include <new>

namespace {

BitmapHandle loadBmpFile(const char* path) {
    PixelImage* image = new (std::nothrow) PixelImage();
    if (image == nullptr) {
        return nullptr;
    }
    if (!readBmpFile(path, *image)) {
        delete image;
        return nullptr;
    }
    return image;
}

BitmapHandle loadNoResource(uint16_t) {
    return nullptr; // the native build has no module resources
}

bool pixelImageSize(BitmapHandle bitmap, int32_t* width, int32_t* height) {
    if (bitmap == nullptr || width == nullptr || height == nullptr) {
        return false;
    }
    const auto* image = static_cast<const PixelImage*>(bitmap);
    *width = image->width;
    *height = image->height;
    return true;
}

void destroyPixelImage(BitmapHandle bitmap) {
    delete static_cast<PixelImage*>(bitmap);
}

} // namespace

void useRasterBitmapBackend() {
    bitmapBackend = {loadBmpFile, loadNoResource, pixelImageSize, destroyPixelImage};
}
