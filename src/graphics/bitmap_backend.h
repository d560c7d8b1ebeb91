// Where bitmaps come from: LoadImageA on Windows, the project's own
// bitmap-file reader natively. The table always points at functions.
#pragma once

#include "graphics/canvas.h"

#include <cstdint>

struct BitmapBackend {
    BitmapHandle (*loadFile)(const char* path); // null when it cannot be loaded
    BitmapHandle (*loadResource)(uint16_t id);  // null when there is none
    bool (*querySize)(BitmapHandle bitmap, int32_t* width, int32_t* height);
    void (*destroy)(BitmapHandle bitmap);
};

extern BitmapBackend bitmapBackend;

// The native backend: files read by the bitmap-file reader into PixelImages.
void useRasterBitmapBackend();
// Nothing loads.
void resetBitmapBackend();
