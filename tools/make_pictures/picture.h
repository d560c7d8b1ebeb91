// A picture in memory and the few colour helpers the drawings share. Every
// pixel is the average of 4 x 4 samples of a shading function, so edges,
// rings and bevels come out smooth. All arithmetic is plain double maths
// (+, -, *, /, sqrt, floor), which gives the same bytes everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgb {
    double r, g, b;
};

inline Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Rgb scale(Rgb c, double k) {
    return {c.r * k, c.g * k, c.b * k};
}
inline Rgb add(Rgb c, double v) {
    return {c.r + v, c.g + v, c.b + v};
}
inline double clamp01(double v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
// 0 at or below edge0, 1 at or above edge1, a smooth S in between.
inline double smoothstep(double edge0, double edge1, double v) {
    double t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

// A fixed hash of a pixel position: a value in -1..1 for fine texture.
inline double grain(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^
                 seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return static_cast<double>(h & 0xFFFF) / 32767.5 - 1.0;
}

// One shading sample: a colour, or nothing where the point lies outside
// the drawn shape.
struct Sample {
    bool inside;
    Rgb colour;
};

// Pixels as 0xRRGGBB, top row first.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

constexpr uint32_t Magenta = 0xFF00FF;

inline uint32_t pack(Rgb c) {
    auto channel = [](double v) {
        return static_cast<uint32_t>(static_cast<int32_t>(clamp01(v / 255.0) * 255.0 + 0.5));
    };
    return channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

// Renders shade(x, y, px, py) for sample points (x, y) inside pixel (px, py).
// A pixel with no sample inside the shape is exactly magenta; in a pixel
// with some, the samples outside count as `outside`, so that an edge fades
// into that colour and never into magenta.
template <class Shade> Picture render(int32_t width, int32_t height, Rgb outside, Shade shade) {
    constexpr int32_t n = 4;
    Picture picture{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    for (int32_t py = 0; py < height; ++py) {
        for (int32_t px = 0; px < width; ++px) {
            Rgb sum{0, 0, 0};
            int32_t hits = 0;
            for (int32_t sy = 0; sy < n; ++sy) {
                for (int32_t sx = 0; sx < n; ++sx) {
                    Sample s = shade(px + (sx + 0.5) / n, py + (sy + 0.5) / n, px, py);
                    Rgb c = s.inside ? s.colour : outside;
                    hits += s.inside ? 1 : 0;
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            }
            uint32_t packed = hits == 0 ? Magenta : pack(scale(sum, 1.0 / (n * n)));
            // A blend that happens to hit the key colour would vanish.
            if (hits != 0 && packed == Magenta)
                packed = 0xFE00FE;
            picture.pixels[static_cast<size_t>(py) * width + px] = packed;
        }
    }
    return picture;
}
