// Bitmaps loaded once and drawn by frame.
#pragma once

#include "graphics/canvas.h"

#include <cstdint>

enum BitmapKind : int32_t { BitmapFile = 0, BitmapResource = 1 };

struct Size {
    int32_t width;
    int32_t height;
};

class Bitmap {
  public:
    explicit Bitmap(const char* path);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    void setFile(const char* path);
    int32_t load();
    Size querySize();
    Size size() const { return {width, height}; }
    void drawRegion(Canvas& dc, int32_t x, int32_t y, int32_t srcX, int32_t srcY, int32_t w,
                    int32_t h) const;

    BitmapKind kind;
    int32_t resourceId;
    char path[256];
    int32_t loaded;
    int32_t width;
    int32_t height;
    BitmapHandle bitmap;
};

struct Frame {
    int32_t x;
    int32_t y;
    int32_t w;
    int32_t h;
};

class FramedBitmap : public Bitmap {
  public:
    explicit FramedBitmap(const char* path);
    void drawFrame(Canvas& dc, int32_t index, int32_t x, int32_t y) const;

    Frame frames[256];
};

class Image : public FramedBitmap {
  public:
    explicit Image(const char* path);

    int32_t count;
    uint8_t block[8320];
};
