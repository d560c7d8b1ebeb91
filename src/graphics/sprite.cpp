#include "graphics/sprite.h"

ImageInstance::ImageInstance(Image* shown)
    : image(shown), flag(false), firstNumber(0), secondNumber(0), frame(0), thirdNumber(0),
      fourthNumber(0) {}

void ImageInstance::draw(Canvas& dc, int32_t x, int32_t y) const {
    if (image != nullptr) {
        image->drawFrame(dc, frame, x, y);
    }
}

Sprite::Sprite(Image* image, int32_t x, int32_t y, int32_t w, int32_t h)
    : instance(new ImageInstance(image)), x(x), y(y), w(w), h(h), rect(makeRect(x, y, w, h, 7)),
      visible(true) {}

Sprite::~Sprite() {
    delete instance;
}

void Sprite::draw(Canvas& dc) const {
    if (visible) {
        instance->draw(dc, x, y);
    }
}

void Sprite::drawOutline(Canvas& dc) const {
    if (visible) {
        drawRectOutline(dc, rect, ColourRed);
    }
}

Point spriteCentre(const Sprite& sprite) {
    return Point{sprite.x + sprite.w / 2, sprite.y + sprite.h / 2};
}
