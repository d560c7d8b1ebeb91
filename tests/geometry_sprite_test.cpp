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

TEST(Geometry, PointAndRectArithmetic) {
    const Point a{3, -4};
    const Point b{10, 20};
    EXPECT_TRUE((a + b) == (Point{13, 16}));
    EXPECT_TRUE((a - b) == (Point{-7, -24}));
    EXPECT_FALSE(a == (Point{3, 4}));
    const Rect r{10, 20, 30, 40};
    expectRect(r + Point{5, 7}, 17, 25, 37, 45);
    expectRect((r + Point{5, 7}) - Point{5, 7}, 10, 20, 30, 40);
}

TEST(Geometry, ClampToRectAndOverlap) {
    const Rect r{10, 20, 30, 40};
    const struct {
        int32_t v, h, wantV, wantH;
    } clamps[] = {{15, 25, 15, 25}, {5, 99, 10, 40}, {31, -1, 30, 20}};
    for (const auto& c : clamps) {
        int32_t v = c.v;
        int32_t h = c.h;
        clampToRect(v, h, r);
        EXPECT_EQ(v, c.wantV) << c.v;
        EXPECT_EQ(h, c.wantH) << c.h;
    }
    // Rects sharing only an edge do not overlap.
    const Rect a{0, 0, 10, 10};
    EXPECT_FALSE(rectsOverlap(a, Rect{0, 10, 10, 20}));
    EXPECT_FALSE(rectsOverlap(a, Rect{10, 0, 20, 10}));
    EXPECT_TRUE(rectsOverlap(a, Rect{9, 9, 20, 20}));
    EXPECT_TRUE(rectsOverlap(a, Rect{2, 2, 3, 3}));
}

TEST(TextAlignment, AnchorTable) {
    // Anchors 0 to 10; anything else is 0 too.
    const uint32_t expected[] = {0, 8, 14, 10, 0, 0, 0, 0, 6, 2, 0};
    for (int32_t anchor = 0; anchor <= 10; ++anchor) {
        EXPECT_EQ(textAlignmentFor(anchor), expected[anchor]) << anchor;
    }
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
