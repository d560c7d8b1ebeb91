// The frame in layers is the whole frame, pixel for pixel; and the pixel work
// of presenting it: what changed, and the stretch onto a larger window.
#include "base/format_text.h"
#include "controller/controller_scene.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/key_assignment.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/scratch.h"
#include "graphics/bitmap_backend.h"
#include "graphics/frame_pixels.h"
#include "graphics/raster_frame_target.h"
#include "support/controller_fixture.h"

#include <string>

namespace {

BitmapHandle (*readPicture)(const char*) = nullptr;

// The scene's pictures, made at build time, read from the build's img/.
BitmapHandle loadBuiltPicture(const char* path) {
    return readPicture((std::string(PADRELLE_PICTURES_DIR) + "/../" + path).c_str());
}

class FrameLayersTest : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        useRasterBitmapBackend();
        readPicture = bitmapBackend.loadFile;
        bitmapBackend.loadFile = loadBuiltPicture;
        enterController();
        ASSERT_EQ(whiteImage->loaded, 1);
        ASSERT_EQ(scratchImage->loaded, 1);
    }
    void TearDown() override {
        ControllerFixture::TearDown();
        resetBitmapBackend();
    }
    // The whole frame as it is composed in one go, and as the layers give it.
    void expectSamePicture(const char* state) {
        RasterFrameTarget whole;
        whole.present(wholeFramePlan(composeControllerFrame), true);
        layered.present(controllerFramePlan(), false);
        size_t differing = 0;
        for (size_t i = 0; i < whole.frame().pixels.size(); ++i) {
            differing += whole.frame().pixels[i] != layered.frame().pixels[i] ? 1 : 0;
        }
        EXPECT_EQ(differing, 0u) << state;
    }
    RasterFrameTarget layered;
};

TEST_F(FrameLayersTest, TheLayersGiveTheWholeFrame) {
    PadPressed[0] = 1;
    formatText(statusText, "%s", "PRESS KEY TO ASSIGN KEY 00");
    expectSamePicture("assignment, pad 0 highlighted");
    PadPressed[0] = 0;
    controllerMode = Play;
    expectSamePicture("play, nothing pressed");
    for (int32_t i = 0; i < PadCount; ++i) {
        PadPressed[i] = 1;
    }
    KeyScancodes[4] = static_cast<int8_t>(0xE0);
    expectSamePicture("all nine pressed");
    PadPressed[1] = PadPressed[4] = PadPressed[7] = 0;
    ScratchState.touchPoint = {300, 400};
    ScratchState.lowEnd = {466, 184};
    ScratchState.highEnd = {-9, 671};
    for (int i = 0; i < 10; ++i) {
        formatText(touchDebugLines[i], "[%d][7][2] 51230 30012", i);
    }
    formatText(outputNotice, "%s",
               "keys go out through SendInput: interception.dll is the 32-bit file: this 64-bit "
               "padrelle.exe needs the one from the x64 folder of the Interception release");
    formatText(settingsNotice, "%s", "keys from --keys, for this run only");
    expectSamePicture("six pressed, the disc turned, every line of text");
    EXPECT_EQ(layered.layersComposed(), 1); // the same objects throughout
    leaveController();
    enterController();
    expectSamePicture("entered again");
    EXPECT_EQ(layered.layersComposed(), 2);
}

// Key caps with a transparent frame and hole, and a plain disc: the outlines
// must show through the lit layer's pictures.
BitmapHandle loadHollowPicture(const char* path) {
    if (std::string(path).find("scratch") != std::string::npos) {
        return new PixelImage(926, 926, 0x404040);
    }
    auto* pad = new PixelImage(130, 190, ColourMagenta);
    for (int32_t y = 2; y < 150; ++y) {
        for (int32_t x = 2; x < 128; ++x) {
            pad->set(x, y, 0xC0C0C0);
        }
    }
    return pad;
}

TEST_F(FrameLayersTest, OutlinesShowThroughTransparentPictures) {
    leaveController();
    bitmapBackend.loadFile = loadHollowPicture;
    enterController();
    controllerMode = Play;
    PadPressed[0] = PadPressed[5] = 1;
    expectSamePicture("key caps with transparent edges");
    EXPECT_EQ(layered.frame().at(690, 600), ColourRed); // pad 0's left edge, under the cap
}

// The naive stretch: every destination pixel from its nearest source pixel.
uint32_t nearest(const std::vector<uint32_t>& frame, int32_t x, int32_t y, int32_t w, int32_t h) {
    return frame[static_cast<size_t>(int64_t{y} * FrameHeight / h) * FrameWidth +
                 static_cast<size_t>(int64_t{x} * FrameWidth / w)];
}

TEST(FramePixels, StretchesOntoLargerWindowsAsTheNearestPixelAndOnlyInTheBox) {
    std::vector<uint32_t> frame(static_cast<size_t>(FrameWidth) * FrameHeight);
    for (size_t i = 0; i < frame.size(); ++i) {
        frame[i] = static_cast<uint32_t>(i * 2654435761u);
    }
    for (const auto& size : {std::pair{1280, 720},
                             {1916, 1076},
                             {1920, 1080},
                             {2561, 1441},
                             {3836, 2156},
                             {3840, 2160}}) {
        const auto [w, h] = size;
        const std::vector<int32_t> columns = sourceColumns(w);
        std::vector<uint32_t> whole(static_cast<size_t>(w) * h, 0);
        stretchFrame(frame.data(), whole.data(), w, h, columns, PixelBox{0, 0, w, h});
        for (int32_t y = 0; y < h; y += 7) {
            for (int32_t x = 0; x < w; x += 3) {
                ASSERT_EQ(whole[static_cast<size_t>(y) * w + x], nearest(frame, x, y, w, h))
                    << w << "x" << h << " at " << x << "," << y;
            }
        }
        // A changed box of the frame covers exactly the window pixels it
        // stretches to: a stretch of it alone fills them and nothing else,
        // also in the window's bottom-right corner.
        for (const PixelBox box : {PixelBox{101, 37, 333, 400}, PixelBox{1000, 600, 1280, 720}}) {
            const PixelBox onWindow = stretchedBox(box, w, h);
            std::vector<uint32_t> part(static_cast<size_t>(w) * h, 0);
            stretchFrame(frame.data(), part.data(), w, h, columns, onWindow);
            for (int32_t y = 0; y < h; ++y) {
                for (int32_t x = 0; x < w; ++x) {
                    const bool inside =
                        x >= onWindow.x0 && x < onWindow.x1 && y >= onWindow.y0 && y < onWindow.y1;
                    const int32_t sx = static_cast<int32_t>(int64_t{x} * FrameWidth / w);
                    const int32_t sy = static_cast<int32_t>(int64_t{y} * FrameHeight / h);
                    const bool fromBox = sx >= box.x0 && sx < box.x1 && sy >= box.y0 && sy < box.y1;
                    ASSERT_EQ(inside, fromBox) << w << "x" << h << " at " << x << "," << y;
                    if (inside) {
                        ASSERT_EQ(part[static_cast<size_t>(y) * w + x],
                                  whole[static_cast<size_t>(y) * w + x]);
                    } else {
                        ASSERT_EQ(part[static_cast<size_t>(y) * w + x], 0u);
                    }
                }
            }
        }
    }
}

TEST(FramePixels, ChangedBoxAndAssembly) {
    std::vector<uint32_t> before(static_cast<size_t>(FrameWidth) * FrameHeight, 5);
    std::vector<uint32_t> now = before;
    EXPECT_TRUE(changedBox(now.data(), before.data()).empty());
    now[static_cast<size_t>(30) * FrameWidth + 1279] = 6;
    now[static_cast<size_t>(719) * FrameWidth + 0] = 7;
    now[static_cast<size_t>(400) * FrameWidth + 640] = 8;
    const PixelBox box = changedBox(now.data(), before.data());
    EXPECT_EQ(box.x0, 0);
    EXPECT_EQ(box.y0, 30);
    EXPECT_EQ(box.x1, 1280);
    EXPECT_EQ(box.y1, 720);
    // As boxes: each run of changed rows its own, the last ones joined past
    // the most asked for.
    PixelBox boxes[MaxChangedBoxes] = {};
    ASSERT_EQ(changedBoxes(now.data(), before.data(), boxes, MaxChangedBoxes), 3);
    EXPECT_EQ((std::vector<int32_t>{boxes[0].x0, boxes[0].y0, boxes[0].x1, boxes[0].y1}),
              (std::vector<int32_t>{1279, 30, 1280, 31}));
    EXPECT_EQ((std::vector<int32_t>{boxes[1].x0, boxes[1].y0, boxes[1].x1, boxes[1].y1}),
              (std::vector<int32_t>{640, 400, 641, 401}));
    EXPECT_EQ((std::vector<int32_t>{boxes[2].x0, boxes[2].y0, boxes[2].x1, boxes[2].y1}),
              (std::vector<int32_t>{0, 719, 1, 720}));
    now[static_cast<size_t>(401) * FrameWidth + 10] = 9; // the run of row 400 goes on
    ASSERT_EQ(changedBoxes(now.data(), before.data(), boxes, 2), 2);
    EXPECT_EQ((std::vector<int32_t>{boxes[1].x0, boxes[1].y0, boxes[1].x1, boxes[1].y1}),
              (std::vector<int32_t>{0, 400, 641, 720}));
    EXPECT_EQ(changedBoxes(before.data(), before.data(), boxes, MaxChangedBoxes), 0);
    // Side by side in the same rows: a box each where 16 unchanged columns
    // or more lie between them; one where fewer do.
    std::vector<uint32_t> pads = before;
    for (const int32_t x : {100, 200, 215, 1279}) {
        pads[static_cast<size_t>(50) * FrameWidth + x] = 3;
        pads[static_cast<size_t>(60) * FrameWidth + x] = 3;
    }
    pads[static_cast<size_t>(55) * FrameWidth + 231] = 3; // 15 apart from 215
    ASSERT_EQ(changedBoxes(pads.data(), before.data(), boxes, MaxChangedBoxes), 7);
    const int32_t parts[7][4] = {{100, 50, 101, 51},  {200, 50, 216, 51}, {1279, 50, 1280, 51},
                                 {231, 55, 232, 56},  {100, 60, 101, 61}, {200, 60, 216, 61},
                                 {1279, 60, 1280, 61}};
    for (int32_t i = 0; i < 7; ++i) {
        EXPECT_EQ((std::vector<int32_t>{boxes[i].x0, boxes[i].y0, boxes[i].x1, boxes[i].y1}),
                  (std::vector<int32_t>(parts[i], parts[i] + 4)))
            << i;
    }
    EXPECT_EQ(changedBoxes(pads.data(), before.data(), boxes, 0), 0);

    // Regions of the lit layer, cut to the frame, over the base.
    std::vector<uint32_t> base(now.size(), 1), lit(now.size(), 2), frame(now.size(), 0);
    const PixelRegion regions[] = {
        {-5, -5, 10, 10}, {1275, 715, 100, 100}, {600, 300, 0, 50}, {100, 100, 2, 3}};
    assembleFrame(frame.data(), base.data(), lit.data(), regions, 4);
    size_t fromLit = 0;
    for (uint32_t p : frame) {
        fromLit += p == 2 ? 1 : 0;
    }
    EXPECT_EQ(fromLit, 25u + 25u + 6u);
    EXPECT_EQ(frame[static_cast<size_t>(101) * FrameWidth + 101], 2u);
    EXPECT_EQ(frame[static_cast<size_t>(103) * FrameWidth + 101], 1u);
}

} // namespace
