// Arbitrary bytes as a bitmap file. Besides any sanitizer report, an accepted
// picture whose pixel count disagrees with its sides, or whose sides are
// outside the reader's caps, aborts; so does a refusal that leaves a picture.
#include "graphics/bmp_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PixelImage image(3, 3, 0xABCDEF);
    if (readBmp(data, size, image)) {
        const int64_t w = image.width;
        const int64_t h = image.height;
        if (w <= 0 || h <= 0 || w > BmpMaxSide || h > BmpMaxSide || w * h > BmpMaxPixels ||
            image.pixels.size() != static_cast<size_t>(w * h)) {
            std::fprintf(stderr, "accepted a %lld x %lld picture with %zu pixels\n",
                         static_cast<long long>(w), static_cast<long long>(h), image.pixels.size());
            std::abort();
        }
        for (uint32_t pixel : image.pixels) {
            if ((pixel & 0xFF000000u) != 0) {
                std::fprintf(stderr, "pixel 0x%08x has bits above blue\n",
                             static_cast<unsigned>(pixel));
                std::abort();
            }
        }
    } else if (image.width != 0 || image.height != 0 || !image.pixels.empty()) {
        std::fprintf(stderr, "refused but left a %d x %d picture\n", image.width, image.height);
        std::abort();
    }
    return 0;
}
