// The raster canvas against GDI's pixel rules: which pixels each primitive
// covers, what it leaves alone, and that nothing runs off the surface.
#include "graphics/bitmap_backend.h"
#include "graphics/bitmap_font.h"
#include "graphics/canvas.h"
#include "graphics/raster_canvas.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <climits>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t Back = 0x123456;
constexpr uint32_t Ink = 0x00FF00;

struct Box {
    int32_t left, top, right, bottom; // inclusive; left > right when empty
};

class RasterCanvasTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetBitmapBackend();
        surface = PixelImage(1280, 720, Back);
    }

    int32_t inked() const {
        int32_t n = 0;
        for (uint32_t p : surface.pixels) {
            n += p != Back ? 1 : 0;
        }
        return n;
    }
    Box inkBox() const {
        Box b{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (int32_t y = 0; y < surface.height; ++y) {
            for (int32_t x = 0; x < surface.width; ++x) {
                if (surface.at(x, y) != Back) {
                    b.left = std::min(b.left, x);
                    b.top = std::min(b.top, y);
                    b.right = std::max(b.right, x);
                    b.bottom = std::max(b.bottom, y);
                }
            }
        }
        return b;
    }
    Box textBox(int32_t x, int32_t y, const char* text, int32_t anchor) {
        surface = PixelImage(1280, 720, Back);
        canvas.text(x, y, text, Ink, anchor);
        return inkBox();
    }

    PixelImage surface;
    RasterCanvas canvas{surface};
};

// --- rectangle outlines and lines ---------------------------------------

TEST_F(RasterCanvasTest, OutlineCoversLeftToRightMinusOneAndTopToBottomMinusOne) {
    // A pad's rectangle: top 500, left 690, bottom 690, right 820.
    canvas.rectOutline(Rect{500, 690, 690, 820}, Ink);
    for (int32_t x = 690; x <= 819; ++x) {
        EXPECT_EQ(surface.at(x, 500), Ink) << x;
        EXPECT_EQ(surface.at(x, 689), Ink) << x;
    }
    for (int32_t y = 500; y <= 689; ++y) {
        EXPECT_EQ(surface.at(690, y), Ink) << y;
        EXPECT_EQ(surface.at(819, y), Ink) << y;
    }
    // The inside is left as it was.
    for (int32_t y = 501; y <= 688; ++y) {
        for (int32_t x = 691; x <= 818; ++x) {
            ASSERT_EQ(surface.at(x, y), Back) << x << "," << y;
        }
    }
    EXPECT_EQ(inked(), 2 * 130 + 2 * 190 - 4);
}

// Each outline or line alone: how many pixels it inks and the box they lie
// in. Lines leave out their end point; both are cut at the surface's edges,
// and coordinates beyond what GDI takes draw nothing and never hang.
TEST_F(RasterCanvasTest, OutlinesAndLinesInkTheirPixelsWithinTheSurface) {
    const int32_t Far = 100000000;
    const struct {
        const char* what;
        bool line;
        int32_t a, b, c, d; // an outline's top, left, bottom, right; a line's x0, y0, x1, y1
        int32_t count;
        Box box;
    } cases[] = {
        {"inverted outline, put in order",
         false,
         690,
         820,
         500,
         690,
         2 * 130 + 2 * 190 - 4,
         {690, 500, 819, 689}},
        {"no height", false, 10, 10, 10, 50, 0, {}},
        {"no width", false, 10, 10, 50, 10, 0, {}},
        {"one pixel", false, 10, 20, 11, 21, 1, {20, 10, 20, 10}},
        {"over the top-left: the far edges", false, -5, -5, 10, 10, 19, {0, 0, 9, 9}},
        {"over the bottom-right: top and left",
         false,
         700,
         1270,
         800,
         1300,
         29,
         {1270, 700, 1279, 719}},
        {"the first row and column inside", false, 0, 0, 5, 5, 16, {0, 0, 4, 4}},
        {"outline of the whole range", false, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, {}},
        {"outline to the range's end",
         false,
         10,
         10,
         INT32_MAX,
         INT32_MAX,
         (1280 - 10) + (720 - 10) - 1,
         {10, 10, 1279, 719}},
        {"horizontal", true, 10, 10, 20, 10, 10, {10, 10, 19, 10}},
        {"vertical, upward", true, 30, 40, 30, 30, 10, {30, 31, 30, 40}},
        {"diagonal", true, 100, 100, 105, 105, 5, {100, 100, 104, 104}},
        {"zero length", true, 4, 208, 4, 208, 0, {}},
        {"across the surface", true, -100, 5, 1400, 5, 1280, {0, 5, 1279, 5}},
        {"from off the corner", true, -10, -10, 10, 10, 10, {0, 0, 9, 9}},
        {"one step", true, 10, 10, 11, 10, 1, {10, 10, 10, 10}},
        {"leftward off the left edge", true, 5, 5, -5, 5, 6, {0, 5, 5, 5}},
        {"upward off the top", true, 5, 5, 5, -5, 6, {5, 0, 5, 5}},
        {"leftward from past the right edge", true, 1290, 5, 1270, 5, 9, {1271, 5, 1279, 5}},
        {"line of the whole range", true, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, {}},
        {"from the range's end", true, INT32_MAX, 0, 0, 0, 0, {}},
        {"far, across", true, -Far, 360, Far, 360, 1280, {0, 360, 1279, 360}},
        {"far, down", true, 640, -Far, 640, Far, 720, {640, 0, 640, 719}},
    };
    for (const auto& c : cases) {
        surface = PixelImage(1280, 720, Back);
        if (c.line) {
            canvas.line(c.a, c.b, c.c, c.d, Ink);
        } else {
            canvas.rectOutline(Rect{c.a, c.b, c.c, c.d}, Ink);
        }
        EXPECT_EQ(inked(), c.count) << c.what;
        if (c.count > 0) {
            const Box b = inkBox();
            EXPECT_EQ((std::vector<int32_t>{b.left, b.top, b.right, b.bottom}),
                      (std::vector<int32_t>{c.box.left, c.box.top, c.box.right, c.box.bottom}))
                << c.what;
        }
    }
    // The diagonal takes one pixel on each row of its box.
    canvas.line(100, 100, 105, 105, Ink);
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(surface.at(100 + i, 100 + i), Ink) << i;
    }
}

TEST_F(RasterCanvasTest, SteepLineTakesOnePixelPerRow) {
    // The scratch lines start at the disc's centre (4, 208).
    canvas.line(4, 208, 0, 0, Ink);
    EXPECT_EQ(inked(), 208);
    EXPECT_EQ(surface.at(4, 208), Ink);
    EXPECT_EQ(surface.at(0, 0), Back);
    for (int32_t y = 1; y <= 208; ++y) {
        int32_t inRow = 0;
        for (int32_t x = 0; x <= 4; ++x) {
            inRow += surface.at(x, y) != Back ? 1 : 0;
        }
        EXPECT_EQ(inRow, 1) << y;
    }
}

TEST_F(RasterCanvasTest, HugeCoordinatesNeitherHangNorWriteOutside) {
    for (int32_t anchor : {1, 2, 3, 5, 7, 8, 9}) {
        canvas.text(INT32_MIN, INT32_MIN, "program by Vistrel", Ink, anchor);
        canvas.text(INT32_MAX, INT32_MAX, "program by Vistrel", Ink, anchor);
        canvas.text(INT32_MIN, 100, "program by Vistrel", Ink, anchor);
        canvas.text(INT32_MAX, 100, "program by Vistrel", Ink, anchor);
    }
    EXPECT_EQ(inked(), 0);

    PixelImage source(8, 8, Ink);
    canvas.bitmap(INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, &source, 0, 0, false, 0xCC0020);
    canvas.bitmap(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, &source, 0, 0, false, 0xCC0020);
    canvas.bitmap(0, 0, INT32_MAX, INT32_MAX, &source, INT32_MIN, INT32_MIN, true, 0xCC0020);
    canvas.bitmap(0, 0, INT32_MAX, INT32_MAX, &source, INT32_MAX, INT32_MAX, true, 0xCC0020);
    EXPECT_EQ(inked(), 0);
}

// --- text ---------------------------------------------------------------

TEST_F(RasterCanvasTest, AnchorThreeAtTheCornerEndsOnTheLastColumnAndRow) {
    // 'y' reaches both the right and the bottom of its cell.
    const Box b = textBox(1280, 720, "y", 3);
    EXPECT_EQ(b.right, 1279);
    EXPECT_EQ(b.bottom, 719);
    EXPECT_GE(b.left, 1280 - FontCellWidth);
    EXPECT_GE(b.top, 720 - FontHeight);
}

TEST_F(RasterCanvasTest, CreditAtTheCornerIsWholeAndInsideItsBox) {
    const char* credit = "program by Vistrel";
    const int32_t w = textWidth(credit);
    const Box corner = textBox(1280, 720, credit, 3);
    EXPECT_GE(corner.left, 1280 - w);
    EXPECT_GE(corner.top, 720 - FontHeight);
    EXPECT_LE(corner.right, 1279);
    EXPECT_LE(corner.bottom, 719);
    const PixelImage atCorner = surface;
    // The same pixels as the text put top-left at the box's corner.
    textBox(1280 - w, 720 - FontHeight, credit, 7);
    EXPECT_EQ(surface.pixels, atCorner.pixels);
}

TEST_F(RasterCanvasTest, MiddleRowAnchorsPutTheTopLeftCornerAtThePoint) {
    const Box seven = textBox(600, 200, "44", 7);
    const PixelImage topLeft = surface;
    EXPECT_GE(seven.left, 600);
    EXPECT_GE(seven.top, 200);
    EXPECT_LT(seven.left, 600 + FontCellWidth);
    for (int32_t anchor : {4, 5, 6, 0, 10, -1}) {
        textBox(600, 200, "44", anchor);
        EXPECT_EQ(surface.pixels, topLeft.pixels) << anchor;
    }
}

TEST_F(RasterCanvasTest, TopAndBottomRowAnchorsPlaceTheBox) {
    const Box seven = textBox(600, 200, "ABCD", 7);
    const int32_t w = textWidth("ABCD");
    const auto shifted = [&](int32_t dx, int32_t dy, int32_t anchor) {
        const Box b = textBox(600, 200, "ABCD", anchor);
        EXPECT_EQ(b.left, seven.left + dx) << anchor;
        EXPECT_EQ(b.top, seven.top + dy) << anchor;
    };
    shifted(-w / 2, 0, 8);
    shifted(-w, 0, 9);
    shifted(0, -FontHeight, 1);
    shifted(-w / 2, -FontHeight, 2);
    shifted(-w, -FontHeight, 3);
}

TEST_F(RasterCanvasTest, EmptyOrNullTextDrawsNothing) {
    for (int32_t anchor : {3, 5, 7}) {
        canvas.text(100, 100, "", Ink, anchor);
        canvas.text(100, 100, nullptr, Ink, anchor);
        drawText(canvas, 100, 100, nullptr, Ink, anchor);
    }
    EXPECT_EQ(inked(), 0);
}

TEST_F(RasterCanvasTest, TextIsTransparentAndCutAtTheEdges) {
    surface = PixelImage(1280, 720, Back);
    canvas.text(100, 100, "I", Ink, 7);
    // Only glyph pixels change; the rest of the cell keeps its colour.
    EXPECT_EQ(surface.at(100, 100), Back);
    EXPECT_EQ(surface.at(100 + GlyphLeft + 2, 100 + GlyphTop), Ink);
    EXPECT_EQ(inked(), 3 + 5 + 3);

    const Box b = textBox(-3, -4, "HH", 7); // half off the top-left corner
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.top, 0);
}

TEST_F(RasterCanvasTest, BytesOutsidePrintableAsciiDrawABox) {
    textBox(100, 100, "\x01", 7);
    EXPECT_EQ(inked(), 2 * 5 + 2 * 7 - 4);
    textBox(100, 100, "\xE0", 7);
    EXPECT_EQ(inked(), 2 * 5 + 2 * 7 - 4);
}

// A circle reaches its radius each way, its right edge included, and no
// further, its outline closed where it began.
TEST_F(RasterCanvasTest, ACircleReachesItsRadiusEachWayAndNoFurther) {
    for (const int32_t radius : {5, 10, 19, 20, 60}) {
        surface = PixelImage(1280, 720, Back);
        drawCircle(canvas, 200, 200, radius, Ink);
        EXPECT_EQ(surface.at(200 + radius, 200), Ink) << radius; // the right edge
        EXPECT_EQ(surface.at(200 - radius, 200), Ink) << radius;
        EXPECT_EQ(surface.at(200, 200 - radius), Ink) << radius;
        EXPECT_EQ(surface.at(200, 200 + radius), Ink) << radius;
        for (int32_t y = 0; y < 720; ++y) {
            for (int32_t x = 0; x < 1280; ++x) {
                if (surface.at(x, y) == Ink) {
                    ASSERT_LE(std::abs(x - 200), radius) << radius;
                    ASSERT_LE(std::abs(y - 200), radius) << radius;
                }
            }
        }
    }
    // At the canvas's right edge: its last column, nothing lost or wrapped.
    surface = PixelImage(1280, 720, Back);
    drawCircle(canvas, 1269, 100, 10, Ink);
    EXPECT_EQ(surface.at(1279, 100), Ink);
    EXPECT_EQ(surface.at(0, 101), Back);
}

// --- bitmaps ------------------------------------------------------------

class RasterBitmapTest : public RasterCanvasTest {
  protected:
    void SetUp() override {
        RasterCanvasTest::SetUp();
        // 4 x 3: magenta in the corners, a different colour everywhere else.
        source = PixelImage(4, 3, 0);
        for (int32_t y = 0; y < 3; ++y) {
            for (int32_t x = 0; x < 4; ++x) {
                source.set(x, y, static_cast<uint32_t>(0x010000 * (y + 1) + x + 1));
            }
        }
        source.set(0, 0, TransparentKey);
        source.set(3, 2, TransparentKey);
    }
    PixelImage source;
};

TEST_F(RasterBitmapTest, TransparentCopyLeavesMagentaOutAndCopiesTheRest) {
    drawBitmap(canvas, 10, 20, 4, 3, &source, 0, 0, true, 0xCC0020);
    EXPECT_EQ(surface.at(10, 20), Back);
    EXPECT_EQ(surface.at(13, 22), Back);
    EXPECT_EQ(surface.at(11, 20), source.at(1, 0));
    EXPECT_EQ(surface.at(13, 21), source.at(3, 1));
    EXPECT_EQ(inked(), 12 - 2);
}

TEST_F(RasterBitmapTest, RegionIsCutToTheSourceAndTheSurface) {
    // Part of a region: 2 x 2 from (1, 1).
    canvas.bitmap(50, 50, 2, 2, &source, 1, 1, true, 0xCC0020);
    EXPECT_EQ(surface.at(50, 50), source.at(1, 1));
    EXPECT_EQ(surface.at(51, 51), source.at(2, 2));
    EXPECT_EQ(inked(), 4);

    // A region larger than the source copies only what the source has,
    // opaque: its magenta corners too.
    surface = PixelImage(1280, 720, Back);
    canvas.bitmap(50, 50, 100, 100, &source, 0, 0, false, 0xCC0020);
    EXPECT_EQ(inked(), 12);

    // A region starting before the source: the part outside is left out.
    surface = PixelImage(1280, 720, Back);
    canvas.bitmap(50, 50, 4, 3, &source, -1, -1, false, 0xCC0020);
    EXPECT_EQ(surface.at(50, 50), Back);
    EXPECT_EQ(surface.at(51, 51), source.at(0, 0));
    EXPECT_EQ(inked(), 3 * 2);

    // Off the top-left and bottom-right corners of the surface.
    surface = PixelImage(1280, 720, Back);
    canvas.bitmap(-2, -1, 4, 3, &source, 0, 0, false, 0xCC0020);
    EXPECT_EQ(surface.at(0, 0), source.at(2, 1));
    EXPECT_EQ(inked(), 2 * 2);
    canvas.bitmap(1278, 719, 4, 3, &source, 0, 0, false, 0xCC0020);
    EXPECT_EQ(surface.at(1278, 719), source.at(0, 0));
    EXPECT_EQ(surface.at(1279, 719), source.at(1, 0));
    EXPECT_EQ(inked(), 2 * 2 + 2);
}

// A copy across the right edge alone, and across the bottom edge alone,
// keeps what lies on the surface, nothing wraps to the next row.
TEST_F(RasterBitmapTest, ACopyIsCutAtTheRightEdgeAndAtTheBottomEdge) {
    canvas.bitmap(1277, 100, 4, 3, &source, 0, 0, false, 0xCC0020);
    EXPECT_EQ(surface.at(1277, 100), source.at(0, 0));
    EXPECT_EQ(surface.at(1279, 102), source.at(2, 2));
    EXPECT_EQ(surface.at(0, 101), Back);
    EXPECT_EQ(inked(), 3 * 3);
    surface = PixelImage(1280, 720, Back);
    canvas.bitmap(100, 718, 4, 3, &source, 0, 0, false, 0xCC0020);
    EXPECT_EQ(surface.at(103, 719), source.at(3, 1));
    EXPECT_EQ(inked(), 4 * 2);
}

TEST_F(RasterBitmapTest, NullHandleOrEmptyRegionDrawsNothing) {
    canvas.bitmap(0, 0, 4, 3, nullptr, 0, 0, true, 0xCC0020);
    canvas.bitmap(0, 0, 0, 3, &source, 0, 0, true, 0xCC0020);
    canvas.bitmap(0, 0, 4, -3, &source, 0, 0, true, 0xCC0020);
    PixelImage empty;
    canvas.bitmap(0, 0, 4, 3, &empty, 0, 0, false, 0xCC0020);
    PixelImage broken(4, 3, Ink);
    broken.pixels.resize(5); // a buffer that does not match its size
    canvas.bitmap(0, 0, 4, 3, &broken, 0, 0, false, 0xCC0020);
    EXPECT_EQ(inked(), 0);
}

} // namespace
