#include "pad_picture.h"

#include <cmath>

const PadColours WhitePad = {{236, 237, 240}, {184, 187, 195}, {22, 22, 26}};
const PadColours BluePad = {{74, 128, 255}, {16, 44, 186}, {8, 10, 28}};

namespace {

constexpr double Gap = 2.0;    // dark border round the cap
constexpr double Bevel = 10.0; // width of the slanted edge
constexpr Rgb White{255, 255, 255};
constexpr Rgb Black{0, 0, 0};

double clampTo(double v, double lo, double hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

Sample shadePad(const PadColours& colours, uint32_t seed, double x, double y, int32_t px,
                int32_t py) {
    const double w = PadPictureWidth, h = PadPictureHeight;
    const double left = Gap + Bevel, top = Gap + Bevel;
    const double right = w - Gap - Bevel, bottom = h - Gap - Bevel;
    // Offset from the nearest point of the flat face; its length is the
    // distance into the bevel, its direction the bevel's outward slope.
    const double qx = x - clampTo(x, left, right), qy = y - clampTo(y, top, bottom);
    const double d = std::sqrt(qx * qx + qy * qy);
    if (d > Bevel)
        return {true, colours.gap};

    const double fall = (y - top) / (bottom - top);
    Rgb base = mix(colours.faceTop, colours.faceBottom, clamp01(fall));
    Rgb c;
    if (d > 0) {
        // Light from the upper left: the slope facing it is bright, the
        // one facing away dark; steeper towards the outer edge.
        const double facing = (qx * -0.42 + qy * -0.91) / d;
        const double steep = 0.45 + 0.55 * (d / Bevel);
        const double s = facing * steep;
        c = s > 0 ? mix(base, White, 0.85 * s) : mix(base, Black, -0.6 * s);
        // A dark lip where the cap meets the gap.
        c = mix(c, colours.gap, 0.6 * smoothstep(Bevel - 1.5, Bevel, d));
    } else {
        // The face: slightly dished, so a little darker along its edges,
        // with a soft gloss in its upper part.
        const double edge =
            std::fmin(std::fmin(x - left, right - x), std::fmin(y - top, bottom - y));
        c = mix(base, Black, 0.10 * (1 - smoothstep(0, 6, edge)));
        const double gx = (x - w / 2) / (w * 0.55), gy = (y - h * 0.22) / (h * 0.26);
        const double g = clamp01(1 - gx * gx - gy * gy);
        c = mix(c, White, 0.45 * g * g);
    }
    return {true, add(c, 1.2 * grain(px, py, seed))};
}

} // namespace

Picture drawPad(const PadColours& colours, uint32_t seed) {
    return render(PadPictureWidth, PadPictureHeight, colours.gap,
                  [&](double x, double y, int32_t px, int32_t py) {
                      return shadePad(colours, seed, x, y, px, py);
                  });
}
