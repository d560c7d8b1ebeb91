// One whole controller frame composed on the native raster canvas: cleared
// to black, pads with outlines and numbers, the disc with its colour key,
// the texts and the three scratch lines.
//
// The pictures are made in memory at the sizes of the real ones (130 x 190
// pads, a 926 x 926 disc that is magenta outside its circle) and handed out
// by a small bitmap backend, so no file is read.
#include "bench_setup.h"

#include "controller/controller_scene.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/key_assignment.h"
#include "controller/modes/play_mode.h"
#include "graphics/bitmap_backend.h"
#include "graphics/pixel_image.h"
#include "graphics/raster_frame_target.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

namespace {

BitmapHandle loadPicture(const char* path) {
    if (std::strcmp(path, "img/scratch.bmp") == 0) {
        constexpr int32_t Size = 926;
        constexpr int32_t R = Size / 2;
        auto* disc = new PixelImage(Size, Size, 0xFF00FF);
        for (int32_t y = 0; y < Size; ++y) {
            for (int32_t x = 0; x < Size; ++x) {
                const int32_t dx = x - R;
                const int32_t dy = y - R;
                if (dx * dx + dy * dy < R * R) {
                    disc->set(x, y, static_cast<uint32_t>(0x202020 + ((x ^ y) & 0x3F)));
                }
            }
        }
        return disc;
    }
    const bool blue = std::strcmp(path, "img/blue.bmp") == 0;
    return new PixelImage(130, 190, blue ? 0xFF8000u : 0xFFFFFFu);
}

bool pictureSize(BitmapHandle bitmap, int32_t* width, int32_t* height) {
    const auto* image = static_cast<const PixelImage*>(bitmap);
    *width = image->width;
    *height = image->height;
    return true;
}

void destroyPicture(BitmapHandle bitmap) {
    delete static_cast<PixelImage*>(bitmap);
}

// Play with the pictures loaded, ten fingers down (so all ten debug lines
// carry text and the scratch lines point at the disc finger).
void startPlayWithPictures(int32_t pressedPads, const char* layout = nullptr) {
    startPlay(layout);
    bitmapBackend.loadFile = loadPicture;
    bitmapBackend.querySize = pictureSize;
    bitmapBackend.destroy = destroyPicture;
    enterController(); // again, now with pictures
    controllerMode = Play;
    for (int32_t finger = 0; finger < 10; ++finger) {
        int32_t x = 0;
        int32_t y = 0;
        fingerPlace(finger, &x, &y);
        putFingerDown(static_cast<uint32_t>(finger + 1), x, y);
    }
    updatePlayMode();
    for (int32_t i = 0; i < controllerLayout.padCount; ++i) {
        PadPressed[i] = i < pressedPads ? 1 : 0;
    }
}

// Composes one whole frame per iteration, then drops the scene and pictures.
void composeFramesWhileTimed(benchmark::State& state) {
    RasterFrameTarget target;
    for (auto _ : state) {
        target.present(controllerFramePlan(), false);
        benchmark::DoNotOptimize(target.frame().pixels.data());
        benchmark::ClobberMemory();
    }
    resetController();
    resetBitmapBackend();
}

void BM_RasterControllerFrame(benchmark::State& state) {
    startPlayWithPictures(static_cast<int32_t>(state.range(0)));
    composeFramesWhileTimed(state);
}
// No pad pressed; all nine pressed.
BENCHMARK(BM_RasterControllerFrame)->Arg(0)->Arg(9)->Unit(benchmark::kMicrosecond);

// The largest layout, double play: no pad pressed; all fourteen pressed.
void BM_RasterDoubleFrame(benchmark::State& state) {
    startPlayWithPictures(static_cast<int32_t>(state.range(0)), "double");
    composeFramesWhileTimed(state);
}
BENCHMARK(BM_RasterDoubleFrame)->Arg(0)->Arg(14)->Unit(benchmark::kMicrosecond);

// Key assignment: the prompt is drawn too, one pad shows its picture.
void BM_RasterAssignmentFrame(benchmark::State& state) {
    startPlayWithPictures(1);
    controllerMode = AssignKeys;
    std::snprintf(statusText, sizeof statusText, "PRESS KEY TO ASSIGN KEY %02d", 1);
    composeFramesWhileTimed(state);
}
BENCHMARK(BM_RasterAssignmentFrame)->Unit(benchmark::kMicrosecond);

} // namespace
