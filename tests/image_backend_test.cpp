// Images loaded through the bitmap backend: the loaded flag, the size, frame 0,
// ownership of the handle and how a region is drawn.
#include "graphics/bitmap_backend.h"
#include "graphics/image.h"
#include "graphics/sprite.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FakeBitmap {
    int32_t width;
    int32_t height;
};

FakeBitmap disc{926, 926};
std::vector<std::string> loadedPaths;
std::vector<BitmapHandle> destroyed;
std::vector<uint16_t> resources;
bool sizeQueryFails = false;

BitmapHandle loadKnownFile(const char* path) {
    loadedPaths.push_back(path);
    return std::string(path) == "img/scratch.bmp" ? &disc : nullptr;
}

BitmapHandle loadResource(uint16_t id) {
    resources.push_back(id);
    return &disc;
}

bool querySize(BitmapHandle bitmap, int32_t* w, int32_t* h) {
    if (sizeQueryFails) {
        return false;
    }
    *w = static_cast<FakeBitmap*>(bitmap)->width;
    *h = static_cast<FakeBitmap*>(bitmap)->height;
    return true;
}

void destroy(BitmapHandle bitmap) {
    destroyed.push_back(bitmap);
}

struct BitmapCall {
    int32_t x, y, w, h;
    BitmapHandle bitmap;
    int32_t srcX, srcY;
    bool transparent;
    uint32_t rasterOp;
};

class BitmapRecorder : public Canvas {
  public:
    void bitmap(int32_t x, int32_t y, int32_t w, int32_t h, BitmapHandle handle, int32_t srcX,
                int32_t srcY, bool transparent, uint32_t rasterOp) override {
        calls.push_back({x, y, w, h, handle, srcX, srcY, transparent, rasterOp});
    }
    void rectOutline(const Rect&, uint32_t) override {}
    void text(int32_t, int32_t, const char*, uint32_t, int32_t) override {}
    void line(int32_t, int32_t, int32_t, int32_t, uint32_t) override {}
    void fillRect(const Rect&, uint32_t) override {}
    std::vector<BitmapCall> calls;
};

class ImageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetBitmapBackend();
        bitmapBackend = {loadKnownFile, loadResource, querySize, destroy};
        loadedPaths.clear();
        destroyed.clear();
        resources.clear();
        sizeQueryFails = false;
    }
    void TearDown() override { resetBitmapBackend(); }
};

// Not loaded, from a missing file or with no backend: no size, nothing to free.
TEST_F(ImageTest, MissingFileIsNotLoadedAndHasNoSize) {
    {
        Image image("img/none.bmp");
        EXPECT_EQ(image.loaded, 0);
        EXPECT_EQ(image.width, 0);
        EXPECT_EQ(image.height, 0);
        EXPECT_EQ(image.frames[0].w, 0);
        EXPECT_EQ(image.frames[0].h, 0);
        EXPECT_EQ(image.querySize().width, 0);
    }
    EXPECT_TRUE(destroyed.empty());
    resetBitmapBackend();
    Image image("img/scratch.bmp");
    EXPECT_EQ(image.loaded, 0);
}

TEST_F(ImageTest, LoadedDiscHasFrameZeroOverTheWholeBitmap) {
    {
        Image image("img/scratch.bmp");
        EXPECT_EQ(image.loaded, 1);
        EXPECT_EQ(image.kind, BitmapFile);
        const Frame& f = image.frames[0];
        EXPECT_EQ((std::vector<int32_t>{f.x, f.y, f.w, f.h}),
                  (std::vector<int32_t>{0, 0, 926, 926}));
        EXPECT_EQ(image.count, 0);
        for (uint8_t byte : image.block) {
            ASSERT_EQ(byte, 0);
        }
    }
    ASSERT_EQ(destroyed.size(), 1u);
    EXPECT_EQ(destroyed[0], &disc);
}

// Frame 0 is the whole bitmap, copied transparently; a frame outside the
// table draws nothing.
TEST_F(ImageTest, DrawingFrameZeroCopiesTheWholeBitmapTransparently) {
    Image image("img/scratch.bmp");
    Sprite sprite(&image, -459, -255, 926, 926);
    BitmapRecorder canvas;
    image.drawFrame(canvas, 256, 0, 0);
    image.drawFrame(canvas, -1, 0, 0);
    sprite.draw(canvas);
    ASSERT_EQ(canvas.calls.size(), 1u);
    const BitmapCall& call = canvas.calls[0];
    EXPECT_EQ((std::vector<int32_t>{call.x, call.y, call.w, call.h, call.srcX, call.srcY}),
              (std::vector<int32_t>{-459, -255, 926, 926, 0, 0}));
    EXPECT_EQ(call.bitmap, &disc);
    EXPECT_TRUE(call.transparent);
    EXPECT_EQ(call.rasterOp, 0xCC0020u);
}

TEST_F(ImageTest, FailedSizeQueryLeavesSizeZero) {
    sizeQueryFails = true;
    Image image("img/scratch.bmp");
    EXPECT_EQ(image.loaded, 1);
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.frames[0].w, 0);
}

TEST_F(ImageTest, PathOf255CharactersIsKeptWholeAndLongerIsCut) {
    const std::string exact(255, 'a');
    Image kept(exact.c_str());
    EXPECT_EQ(std::string(kept.path), exact);
    EXPECT_EQ(loadedPaths.back(), exact);

    const std::string tooLong(400, 'b');
    Image cut(tooLong.c_str());
    EXPECT_EQ(std::string(cut.path), std::string(255, 'b'));
    EXPECT_EQ(cut.path[255], '\0');
}

TEST_F(ImageTest, ResourceKindLoadsByTheLowSixteenBitsOfItsId) {
    Image image("img/none.bmp");
    image.kind = BitmapResource;
    image.resourceId = 0x12345;
    EXPECT_EQ(image.load(), 1);
    ASSERT_EQ(resources.size(), 1u);
    EXPECT_EQ(resources[0], 0x2345);
}

} // namespace
