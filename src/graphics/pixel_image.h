// A plain pixel buffer in memory: what a bitmap handle points at in the
// native build, and the surface of the raster canvas.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PixelImage {
    int32_t width = 0;
    int32_t height = 0;
    // Row-major, top row first, one 0x00BBGGRR value per pixel.
    std::vector<uint32_t> pixels;

    PixelImage() = default;
    PixelImage(int32_t w, int32_t h, uint32_t fill = 0)
        : width(w > 0 && h > 0 ? w : 0), height(w > 0 && h > 0 ? h : 0),
          pixels(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}

    bool contains(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < width && y < height;
    }
    uint32_t at(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    void set(int32_t x, int32_t y, uint32_t colour) {
        if (contains(x, y))
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                colour;
    }
};
