#include "disc_picture.h"

#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Centre = DiscPictureSize / 2.0;
constexpr double RimInner = 424.0; // the brushed rim lies from here to DiscRadius
constexpr double RecordEdge = 420.0;
constexpr double LabelEdge = 136.0;
constexpr double SpindleRadius = 11.0;
constexpr double DotRing = 441.5; // radius of the strobe dots' centres
constexpr double DotRadius = 3.2;
constexpr int32_t DotCount = 120;

constexpr Rgb EdgeDark{10, 10, 12};
constexpr Rgb Vinyl{20, 20, 23};
constexpr Rgb Label{176, 28, 38};
constexpr Rgb Sticker{236, 234, 222};
constexpr Rgb White{255, 255, 255};
constexpr Rgb Black{0, 0, 0};

// Triangle wave of period 1: 0 at whole numbers, 1 half way between.
double triangle(double v) {
    double f = v - std::floor(v);
    return 1 - std::fabs(2 * f - 1);
}

// The angle of (dx, dy) in turns, 0..1, clockwise on screen from the right.
// A rough polynomial arctangent (within 0.004 radian): it only picks the
// nearest strobe dots, whose exact centres come from the table below.
double turns(double dx, double dy) {
    double ax = std::fabs(dx), ay = std::fabs(dy);
    double hi = std::fmax(ax, ay);
    if (hi == 0)
        return 0;
    double t = std::fmin(ax, ay) / hi;
    double a = Pi / 4 * t + 0.273 * t * (1 - t);
    if (ay > ax)
        a = Pi / 2 - a;
    if (dx < 0)
        a = Pi - a;
    if (dy < 0)
        a = -a;
    double r = a / (2 * Pi);
    return r < 0 ? r + 1 : r;
}

struct Point2 {
    double x, y;
};

// Unit vectors towards the strobe dots, by rotating step by step from the
// right; cosine and sine of the step come from their series, not from libm.
struct DotTable {
    Point2 dir[DotCount];
    DotTable() {
        const double step = 2 * Pi / DotCount;
        double c = 0, s = 0, term = 1;
        for (int32_t k = 0; k < 24; ++k) { // term = step^k / k!
            if (k % 4 == 0)
                c += term;
            if (k % 4 == 1)
                s += term;
            if (k % 4 == 2)
                c -= term;
            if (k % 4 == 3)
                s -= term;
            term *= step / (k + 1);
        }
        Point2 p{1, 0};
        for (Point2& d : dir) {
            d = p;
            p = {p.x * c - p.y * s, p.x * s + p.y * c};
        }
    }
};
const DotTable dots;

double nearestDot(double dx, double dy) {
    int32_t k = static_cast<int32_t>(std::floor(turns(dx, dy) * DotCount + 0.5));
    double best = 1e9;
    for (int32_t i = k - 1; i <= k + 1; ++i) {
        const Point2& d = dots.dir[(i + DotCount) % DotCount];
        double ex = dx - d.x * DotRing, ey = dy - d.y * DotRing;
        best = std::fmin(best, std::sqrt(ex * ex + ey * ey));
    }
    return best;
}

// Reflection of a light in the upper right on a surface of circular
// grooves: +1 where the grooves face it (upper right and lower left), -1 at
// the other diagonal.
double facingLight(double dx, double dy, double d) {
    return -2 * dx * dy / (d * d);
}

Rgb rim(double dx, double dy, double d, int32_t px, int32_t py, uint32_t seed) {
    const double v = facingLight(dx, dy, d);
    double level = 138 + 42 * v + 30 * v * v * v * v * (v > 0 ? 1 : 0);
    // Brushing: fine rings of slightly different brightness.
    level +=
        5 * grain(static_cast<int32_t>(std::floor(d * 3)), 0, seed) + 1.5 * grain(px, py, seed + 1);
    Rgb c{level, level, level + 4};
    // A rounded inner lip catching the light and a darker outer fall-off.
    c = mix(c, White, 0.35 * (1 - smoothstep(0, 3, d - RimInner)));
    c = mix(c, Black, 0.45 * smoothstep(DiscRadius - 6, DiscRadius, d));
    const double dot = nearestDot(dx, dy);
    if (dot < DotRadius + 1) {
        const double in = 1 - smoothstep(DotRadius - 0.7, DotRadius + 0.7, dot);
        c = mix(c, scale(c, 0.42), in);
    }
    return c;
}

Rgb record(double dx, double dy, double d, int32_t px, int32_t py, uint32_t seed) {
    const double v = facingLight(dx, dy, d);
    const double lit = v > 0 ? v * v * v * v * v * v : 0;
    const double back = v < 0 ? v * v * v * v * v * v * v * v : 0;
    const bool runOut = d < LabelEdge + 30;
    const bool leadIn = d > RecordEdge - 7;
    // Gaps between the tracks: narrow smooth rings.
    const double tracks[] = {372, 318, 266, 221};
    double trackGap = 0;
    for (double t : tracks)
        trackGap = std::fmax(trackGap, 1 - smoothstep(1.0, 2.5, std::fabs(d - t)));
    double groove = runOut || leadIn ? 0.5 : triangle(d / 2.7);
    groove = groove * (1 - trackGap) + 0.5 * trackGap;
    double level = 4 * groove + 1.2 * grain(px, py, seed + 2);
    // The sheen shows on the grooves, less on the smooth parts.
    const double sheen = 62 * lit + 22 * back;
    const double texture = runOut || leadIn ? 0.55 : 0.65 + 0.35 * groove;
    level += sheen * texture * (1 - 0.5 * trackGap);
    Rgb c = add(Vinyl, level);
    // The record's rounded edge.
    c = mix(c, add(Vinyl, 40 + 40 * lit), 0.7 * smoothstep(RecordEdge - 2.5, RecordEdge, d));
    return c;
}

Rgb label(double dx, double dy, double d) {
    // Slightly lighter towards the upper left, a thin dark ring near the
    // edge and a lighter band round the spindle.
    Rgb c = mix(Label, add(Label, 30), clamp01(0.5 - (dx + dy) / (4 * LabelEdge)));
    c = mix(c, scale(Label, 0.45), 1 - smoothstep(0.6, 1.6, std::fabs(d - (LabelEdge - 10))));
    c = mix(c, add(Label, 45), 1 - smoothstep(1.5, 3.0, std::fabs(d - 52)));
    c = mix(c, scale(Label, 0.3), smoothstep(LabelEdge - 1.5, LabelEdge, d));
    return c;
}

Rgb spindle(double dx, double dy) {
    // A steel dome lit from the upper left.
    const double nx = dx / SpindleRadius, ny = dy / SpindleRadius;
    const double nz = std::sqrt(std::fmax(0.0, 1 - nx * nx - ny * ny));
    const double light = clamp01(-0.45 * nx - 0.55 * ny + 0.70 * nz);
    const double spec = light * light * light * light * light * light * light * light;
    const double level = 70 + 130 * light + 55 * spec;
    return {level, level, level + 6};
}

// The marker: a rounded stripe on the record from the label to the edge,
// pointing right.
double markerDistance(double dx, double dy) {
    const double along = std::fmin(std::fmax(dx, LabelEdge + 10), RecordEdge - 12);
    const double ex = dx - along;
    return std::sqrt(ex * ex + dy * dy);
}

Sample shadeDisc(uint32_t seed, double x, double y, int32_t px, int32_t py) {
    const double dx = x - Centre, dy = y - Centre;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d > DiscRadius)
        return {false, EdgeDark};
    Rgb c;
    if (d >= RimInner)
        c = rim(dx, dy, d, px, py, seed);
    else if (d >= RecordEdge)
        c = mix(EdgeDark, Vinyl, 0.5); // the shadow between record and rim
    else if (d >= LabelEdge) {
        c = record(dx, dy, d, px, py, seed);
        const double m = markerDistance(dx, dy);
        if (m < 6.5) {
            // A little darker towards its outer end.
            Rgb stripe = add(Sticker, -12 * (dx / RecordEdge));
            c = mix(c, stripe, 1 - smoothstep(5.0, 6.0, m));
        }
    } else if (d >= SpindleRadius + 3)
        c = label(dx, dy, d);
    else if (d >= SpindleRadius)
        c = scale(Label, 0.2); // the hole round the spindle
    else
        c = spindle(dx, dy);
    // The outermost pixel of the rim fades into the dark edge colour.
    c = mix(c, EdgeDark, smoothstep(DiscRadius - 1.5, DiscRadius, d));
    return {true, c};
}

} // namespace

Picture drawDisc(uint32_t seed) {
    return render(
        DiscPictureSize, DiscPictureSize, EdgeDark,
        [&](double x, double y, int32_t px, int32_t py) { return shadeDisc(seed, x, y, px, py); });
}
