// Geometry operations, sprites and the text alignment of the anchor codes.
#include "graphics/canvas.h"
#include "graphics/geometry.h"
#include "graphics/sprite.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

namespace {

void expectRect(const Rect& r, int32_t top, int32_t left, int32_t bottom, int32_t right) {
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.bottom, bottom);
    EXPECT_EQ(r.right, right);
}

TEST(Geometry, MakeRectFromTopLeftCorner) {
    expectRect(makeRect(690, 500, 130, 190, 7), 500, 690, 690, 820);
    expectRect(makeRect(-459, -255, 926, 926, 7), -255, -459, 671, 467);
}

TEST(Geometry, PointArithmeticAndEquality) {
    const Point a{3, -4};
    const Point b{10, 20};
    EXPECT_TRUE((a + b) == (Point{13, 16}));
    EXPECT_TRUE((a - b) == (Point{-7, -24}));
    EXPECT_FALSE(a == (Point{3, 4}));
}

TEST(Geometry, RectMovesByAPointAndBack) {
    const Rect r{10, 20, 30, 40};
    expectRect(r + Point{5, 7}, 17, 25, 37, 45);
    expectRect((r + Point{5, 7}) - Point{5, 7}, 10, 20, 30, 40);
}

TEST(Geometry, ClampToRect) {
    const Rect r{10, 20, 30, 40};
    int32_t v = 15;
    int32_t h = 25;
    clampToRect(v, h, r);
    EXPECT_EQ(v, 15);
    EXPECT_EQ(h, 25);
    v = 5;
    h = 99;
    clampToRect(v, h, r);
    EXPECT_EQ(v, 10);
    EXPECT_EQ(h, 40);
    v = 31;
    h = -1;
    clampToRect(v, h, r);
    EXPECT_EQ(v, 30);
    EXPECT_EQ(h, 20);
}

TEST(Geometry, RectsSharingOnlyAnEdgeDoNotOverlap) {
    const Rect a{0, 0, 10, 10};
    EXPECT_FALSE(rectsOverlap(a, Rect{0, 10, 10, 20}));
    EXPECT_FALSE(rectsOverlap(a, Rect{10, 0, 20, 10}));
    EXPECT_TRUE(rectsOverlap(a, Rect{9, 9, 20, 20}));
    EXPECT_TRUE(rectsOverlap(a, Rect{2, 2, 3, 3}));
}

TEST(TextAlignment, AnchorTable) {
    EXPECT_EQ(textAlignmentFor(1), 8u);
    EXPECT_EQ(textAlignmentFor(2), 14u);
    EXPECT_EQ(textAlignmentFor(3), 10u);
    EXPECT_EQ(textAlignmentFor(4), 0u);
    EXPECT_EQ(textAlignmentFor(5), 0u);
    EXPECT_EQ(textAlignmentFor(6), 0u);
    EXPECT_EQ(textAlignmentFor(7), 0u);
    EXPECT_EQ(textAlignmentFor(8), 6u);
    EXPECT_EQ(textAlignmentFor(9), 2u);
    EXPECT_EQ(textAlignmentFor(0), 0u);
    EXPECT_EQ(textAlignmentFor(-3), 0u);
    EXPECT_EQ(textAlignmentFor(1000), 0u);
}

TEST(Sprite, RectAndCentreOfTheDiscAndAPad) {
    Sprite disc(nullptr, -459, -255, 926, 926);
    expectRect(disc.rect, -255, -459, 671, 467);
    EXPECT_TRUE(spriteCentre(disc) == (Point{4, 208}));
    Sprite pad(nullptr, 766, 292, 130, 190);
    EXPECT_TRUE(spriteCentre(pad) == (Point{831, 387}));
    EXPECT_TRUE(pad.visible);
    EXPECT_EQ(pad.instance->frame, 0);
    EXPECT_FALSE(pad.instance->flag);
}

TEST(Sprite, HalvingTruncatesTowardZero) {
    Sprite odd(nullptr, 0, 0, 131, 1);
    EXPECT_EQ(spriteCentre(odd).x, 65);
    Sprite negative(nullptr, 0, 0, -3, -1);
    EXPECT_EQ(spriteCentre(negative).x, -1);
    EXPECT_EQ(spriteCentre(negative).y, 0);
}

TEST(Sprite, OutlineIsItsRectInRed) {
    Sprite pad(nullptr, 690, 500, 130, 190);
    RecordingCanvas canvas;
    pad.drawOutline(canvas);
    ASSERT_EQ(canvas.outlines.size(), 1u);
    expectRect(canvas.outlines[0].rect, 500, 690, 690, 820);
    EXPECT_EQ(canvas.outlines[0].colour, ColourRed);
}

TEST(Sprite, HiddenSpriteDrawsNothing) {
    Image image("no/such/file.bmp");
    Sprite pad(&image, 690, 500, 130, 190);
    pad.visible = false;
    RecordingCanvas canvas;
    pad.draw(canvas);
    pad.drawOutline(canvas);
    EXPECT_TRUE(canvas.order.empty());
}

} // namespace
