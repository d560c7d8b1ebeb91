// The key-cap picture of a pad: a rounded cap with a bevelled edge lit from
// the top left, a face with a soft vertical gradient and a gloss highlight,
// in a thin dark gap that fills the rest of the rectangle.
#pragma once

#include "picture.h"

struct PadColours {
    Rgb faceTop;
    Rgb faceBottom;
    Rgb gap;
};

constexpr int32_t PadPictureWidth = 130;
constexpr int32_t PadPictureHeight = 190;

extern const PadColours WhitePad;
extern const PadColours BluePad;

Picture drawPad(const PadColours& colours, uint32_t seed);
