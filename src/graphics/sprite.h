// Pictures placed on the logical screen.
#pragma once

#include "graphics/canvas.h"
#include "graphics/geometry.h"
#include "graphics/image.h"

#include <cstdint>

class ImageInstance {
  public:
    explicit ImageInstance(Image* image);
    void draw(Canvas& dc, int32_t x, int32_t y) const;

    Image* image;
    bool flag;
    int32_t firstNumber;
    int32_t secondNumber;
    int32_t frame;
    int32_t thirdNumber;
    int32_t fourthNumber;
};

class Sprite {
  public:
    Sprite(Image* image, int32_t x, int32_t y, int32_t w, int32_t h);
    ~Sprite();
    Sprite(const Sprite&) = delete;
    Sprite& operator=(const Sprite&) = delete;

    void draw(Canvas& dc) const;
    void drawOutline(Canvas& dc) const;

    ImageInstance* instance;
    int32_t x;
    int32_t y;
    int32_t w;
    int32_t h;
    Rect rect;
    bool visible;
};

Point spriteCentre(const Sprite& sprite);
