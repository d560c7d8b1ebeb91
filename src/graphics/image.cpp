#include "graphics/image.h"

#include "base/win_constants.h"
#include "graphics/bitmap_backend.h"

#include <cstring>

Bitmap::Bitmap(const char* path)
    : kind(BitmapFile), resourceId(0), path{}, loaded(0), width(0), height(0), bitmap(nullptr) {
    setFile(path);
    load();
}

Bitmap::~Bitmap() {
    if (loaded == 1) {
        bitmapBackend.destroy(bitmap);
    }
}

void Bitmap::setFile(const char* newPath) {
    kind = BitmapFile;
    std::memset(path, 0, sizeof path);
    if (newPath == nullptr) {
        return;
    }
    // The last character always stays the terminator: a longer path is cut.
    for (size_t i = 0; i + 1 < sizeof path && newPath[i] != '\0'; ++i) {
        path[i] = newPath[i];
    }
}

int32_t Bitmap::load() {
    if (kind == BitmapResource) {
        bitmap = bitmapBackend.loadResource(static_cast<uint16_t>(resourceId & 0xFFFF));
    } else {
        bitmap = bitmapBackend.loadFile(path);
    }
    loaded = bitmap != nullptr ? 1 : 0;
    querySize();
    return loaded;
}

Size Bitmap::querySize() {
    if (loaded != 1) {
        return Size{0, 0};
    }
    int32_t w = 0;
    int32_t h = 0;
    if (!bitmapBackend.querySize(bitmap, &w, &h) || w < 0 || h < 0) {
        w = 0;
        h = 0;
    }
    width = w;
    height = h;
    return Size{width, height};
}

void Bitmap::drawRegion(Canvas& dc, int32_t x, int32_t y, int32_t srcX, int32_t srcY, int32_t w,
                        int32_t h) const {
    drawBitmap(dc, x, y, w, h, bitmap, srcX, srcY, true, win::SRCCOPY);
}

FramedBitmap::FramedBitmap(const char* path) : Bitmap(path), frames{} {
    const Size whole = size();
    frames[0] = Frame{0, 0, whole.width, whole.height};
}

void FramedBitmap::drawFrame(Canvas& dc, int32_t index, int32_t x, int32_t y) const {
    // Every sprite draws frame 0; an index outside the table draws nothing.
    if (index < 0 || index >= static_cast<int32_t>(sizeof frames / sizeof frames[0])) {
        return;
    }
    const Frame& frame = frames[index];
    drawRegion(dc, x, y, frame.x, frame.y, frame.w, frame.h);
}

Image::Image(const char* path) : FramedBitmap(path), count(0), block{} {}
