// Whole controller frames composed into the native frame buffer.
#include "controller/controller_scene.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/play_mode.h"
#include "graphics/bitmap_backend.h"
#include "graphics/bitmap_font.h"
#include "graphics/frame_target.h"
#include "graphics/pixel_image.h"
#include "graphics/raster_frame_target.h"
#include "support/controller_fixture.h"

#include <cstring>

namespace {

constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Grey = 0x808080;

// Pads in plain white, the disc grey inside a circle and magenta outside.
BitmapHandle loadPicture(const char* path) {
    if (std::strcmp(path, "img/scratch.bmp") == 0) {
        auto* disc = new PixelImage(926, 926, ColourMagenta);
        for (int32_t y = 0; y < 926; ++y) {
            for (int32_t x = 0; x < 926; ++x) {
                const int32_t dx = x - 463;
                const int32_t dy = y - 463;
                if (dx * dx + dy * dy < 463 * 463) {
                    disc->set(x, y, Grey);
                }
            }
        }
        return disc;
    }
    return new PixelImage(130, 190, White);
}
bool pictureSize(BitmapHandle bitmap, int32_t* w, int32_t* h) {
    const auto* image = static_cast<const PixelImage*>(bitmap);
    *w = image->width;
    *h = image->height;
    return true;
}
void destroyPicture(BitmapHandle bitmap) {
    delete static_cast<PixelImage*>(bitmap);
}

struct Seen {
    int32_t calls = 0;
    uint32_t cornerPixel = 0;
};
void notePresented(const PixelImage& frame, void* context) {
    auto* seen = static_cast<Seen*>(context);
    ++seen->calls;
    seen->cornerPixel = frame.at(690, 500);
}

void paintWhite(Canvas& dc) {
    dc.rectOutline(Rect{0, 0, 720, 1280}, White);
}

class RasterFrameTargetTest : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        frameTarget = &target;
    }
    void withPictures() {
        bitmapBackend.loadFile = loadPicture;
        bitmapBackend.querySize = pictureSize;
        bitmapBackend.destroy = destroyPicture;
    }
    RasterFrameTarget target;
};

TEST_F(RasterFrameTargetTest, EveryFrameStartsBlack) {
    EXPECT_EQ(target.frame().width, 1280);
    EXPECT_EQ(target.frame().height, 720);
    target.present(wholeFramePlan(paintWhite), true);
    EXPECT_EQ(target.frame().at(0, 0), White);
    target.present(wholeFramePlan(nullptr), true);
    for (uint32_t p : target.frame().pixels) {
        ASSERT_EQ(p, 0u);
    }
    EXPECT_EQ(target.framesPresented(), 2);
}

TEST_F(RasterFrameTargetTest, ToolIsToldOfEachFinishedFrame) {
    Seen seen;
    target.onPresented(notePresented, &seen);
    enterController();
    renderController();
    renderController(); // nothing changed: no frame
    renderControllerNow();
    EXPECT_EQ(seen.calls, 2);
    EXPECT_EQ(seen.cornerPixel, ColourRed); // pad 0's outline corner
    target.onPresented(nullptr, nullptr);
    renderControllerNow();
    EXPECT_EQ(seen.calls, 2);
    EXPECT_EQ(target.framesPresented(), 3);
}

TEST_F(RasterFrameTargetTest, ControllerFrameWithoutPictures) {
    enterPlay();
    renderController();
    const PixelImage& f = target.frame();
    // Pad 0: outline from (690, 500) to (819, 689), its number at the centre.
    EXPECT_EQ(f.at(690, 500), ColourRed);
    EXPECT_EQ(f.at(819, 689), ColourRed);
    EXPECT_EQ(f.at(820, 690), 0u);
    bool green = false;
    for (int32_t y = 595; y < 595 + FontHeight; ++y) {
        for (int32_t x = 755; x < 755 + 2 * FontCellWidth; ++x) {
            green = green || f.at(x, y) == ColourGreen;
        }
    }
    EXPECT_TRUE(green);
    // The scratch lines all run to (0, 0): blue over red, the end left out.
    EXPECT_EQ(f.at(4, 208), ColourBlue);
    EXPECT_EQ(f.at(0, 0), 0u);
    // The credit ends in the bottom-right corner, in blue.
    const int32_t w = textWidth("program by Vistrel");
    int32_t blue = 0;
    for (int32_t y = 720 - FontHeight; y < 720; ++y) {
        for (int32_t x = 1280 - w; x < 1280; ++x) {
            blue += f.at(x, y) == ColourBlue ? 1 : 0;
        }
    }
    EXPECT_GT(blue, 0);
}

TEST_F(RasterFrameTargetTest, PressedPadsAndDiscShowTheirPictures) {
    withPictures();
    enterPlay();
    PadPressed[0] = 1;
    renderController();
    const PixelImage& f = target.frame();
    EXPECT_EQ(f.at(700, 510), White); // pressed pad 0's picture
    EXPECT_EQ(f.at(776, 302), 0u);    // pad 1 is not pressed
    EXPECT_EQ(f.at(100, 300), Grey);  // inside the disc
    EXPECT_EQ(f.at(460, 650), 0u);    // magenta corner of the disc left out
    PadPressed[0] = 0;
}

} // namespace
