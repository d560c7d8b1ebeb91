// The controller's pictures as make_pictures writes them, loaded through the
// native bitmap backend and drawn through sprites on the raster canvas: their
// sizes, that a pad covers exactly its rectangle and that the disc's corners
// stay transparent.
#include "graphics/bitmap_backend.h"
#include "graphics/bmp_reader.h"
#include "graphics/image.h"
#include "graphics/raster_canvas.h"
#include "graphics/sprite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

std::string picturePath(const char* name) {
    return std::string(PADRELLE_PICTURES_DIR) + "/" + name;
}

class PicturesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetBitmapBackend();
        useRasterBitmapBackend();
        ASSERT_LT(picturePath("scratch.bmp").size(), 256u) << "an Image path holds 255 characters";
        white = std::make_unique<Image>(picturePath("white.bmp").c_str());
        blue = std::make_unique<Image>(picturePath("blue.bmp").c_str());
        disc = std::make_unique<Image>(picturePath("scratch.bmp").c_str());
    }
    void TearDown() override {
        white.reset();
        blue.reset();
        disc.reset();
        resetBitmapBackend();
    }

    static PixelImage readPicture(const char* name) {
        PixelImage picture;
        EXPECT_TRUE(readBmpFile(picturePath(name).c_str(), picture)) << name;
        return picture;
    }

    std::unique_ptr<Image> white;
    std::unique_ptr<Image> blue;
    std::unique_ptr<Image> disc;
};

int32_t red(uint32_t c) {
    return static_cast<int32_t>(c & 0xFF);
}
int32_t green(uint32_t c) {
    return static_cast<int32_t>(c >> 8 & 0xFF);
}
int32_t blueOf(uint32_t c) {
    return static_cast<int32_t>(c >> 16 & 0xFF);
}

TEST_F(PicturesTest, EachPictureLoadsWithTheSizeTheControllerExpects) {
    const struct {
        const Image* image;
        int32_t width, height;
    } cases[] = {{white.get(), 130, 190}, {blue.get(), 130, 190}, {disc.get(), 926, 926}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.image->loaded, 1);
        EXPECT_EQ(c.image->width, c.width);
        EXPECT_EQ(c.image->height, c.height);
        EXPECT_EQ(c.image->frames[0].w, c.width);
        EXPECT_EQ(c.image->frames[0].h, c.height);
    }
}

TEST_F(PicturesTest, WhiteAndBluePadsDifferAndHaveNoTransparentPixel) {
    const PixelImage w = readPicture("white.bmp");
    const PixelImage b = readPicture("blue.bmp");
    ASSERT_EQ(w.pixels.size(), b.pixels.size());
    EXPECT_NE(w.pixels, b.pixels);
    // The middle of each cap: light grey on the white pad, blue on the blue.
    const uint32_t wc = w.at(65, 95), bc = b.at(65, 95);
    EXPECT_GT(red(wc), 150);
    EXPECT_GT(green(wc), 150);
    EXPECT_GT(blueOf(wc), 150);
    EXPECT_GT(blueOf(bc), red(bc) + 80);
    EXPECT_GT(blueOf(bc), green(bc) + 80);
    // A pressed pad covers its whole rectangle, the corners too.
    for (const PixelImage* pad : {&w, &b}) {
        for (uint32_t p : pad->pixels) {
            ASSERT_NE(p, TransparentKey);
        }
    }
}

TEST_F(PicturesTest, PadSpriteChangesThePixelsOfItsRectangleOnly) {
    const PixelImage file = readPicture("blue.bmp");
    PixelImage screen(1280, 720, 0);
    RasterCanvas canvas(screen);
    const Sprite pad(blue.get(), 766, 292, 130, 190);
    pad.draw(canvas);
    for (int32_t y = 0; y < screen.height; ++y) {
        for (int32_t x = 0; x < screen.width; ++x) {
            const bool inside = x >= 766 && x < 766 + 130 && y >= 292 && y < 292 + 190;
            const uint32_t expected = inside ? file.at(x - 766, y - 292) : 0;
            ASSERT_EQ(screen.at(x, y), expected) << "at " << x << ", " << y;
        }
    }
    EXPECT_NE(screen.at(766, 292), 0u);
    EXPECT_NE(screen.at(766 + 129, 292 + 189), 0u);
}

TEST_F(PicturesTest, DiscIsACircleWhoseOutsideIsExactlyMagenta) {
    const PixelImage d = readPicture("scratch.bmp");
    ASSERT_EQ(d.width, 926);
    int32_t widest = 0;
    for (int32_t y = 0; y < d.height; ++y) {
        int32_t first = -1, last = -1;
        for (int32_t x = 0; x < d.width; ++x) {
            if (d.at(x, y) != TransparentKey) {
                first = first < 0 ? x : first;
                last = x;
            }
        }
        if (first < 0) {
            continue;
        }
        // One run, placed symmetrically, with every pixel outside it the key
        // colour and no pinkish blend at its ends.
        for (int32_t x = first; x <= last; ++x) {
            ASSERT_NE(d.at(x, y), TransparentKey) << "hole at " << x << ", " << y;
        }
        EXPECT_EQ(first, d.width - 1 - last) << "row " << y;
        for (const uint32_t edge : {d.at(first, y), d.at(last, y)}) {
            EXPECT_LT(red(edge), 100) << "row " << y;
            EXPECT_LT(blueOf(edge), 100) << "row " << y;
        }
        widest = std::max(widest, last - first + 1);
    }
    EXPECT_GE(widest, 900);
    EXPECT_LT(widest, 926); // the middle row is cut by the key colour too
    EXPECT_EQ(d.at(0, 0), TransparentKey);
    EXPECT_EQ(d.at(925, 925), TransparentKey);
    EXPECT_EQ(d.at(925, 463), TransparentKey);
    EXPECT_EQ(d.at(463, 0), TransparentKey);
}

} // namespace
