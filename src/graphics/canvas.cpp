#include "graphics/canvas.h"

#include <cmath>

namespace {

constexpr uint32_t AlignLeft = 0;
constexpr uint32_t AlignRight = 2;
constexpr uint32_t AlignCentre = 6;
constexpr uint32_t AlignTop = 0;
constexpr uint32_t AlignBottom = 8;

} // namespace

uint32_t textAlignmentFor(int32_t anchor) {
    switch (anchor) {
    case 1:
        return AlignBottom | AlignLeft;
    case 2:
        return AlignBottom | AlignCentre;
    case 3:
        return AlignBottom | AlignRight;
    case 8:
        return AlignTop | AlignCentre;
    case 9:
        return AlignTop | AlignRight;
    default: // 4, 5, 6, 7 and anything else: the top-left corner
        return AlignTop | AlignLeft;
    }
}

void drawBitmap(Canvas& dc, int32_t x, int32_t y, int32_t w, int32_t h, BitmapHandle bitmap,
                int32_t srcX, int32_t srcY, bool transparent, uint32_t rasterOp) {
    dc.bitmap(x, y, w, h, bitmap, srcX, srcY, transparent, rasterOp);
}

void drawRectOutline(Canvas& dc, const Rect& rect, uint32_t colour) {
    dc.rectOutline(rect, colour);
}

void drawText(Canvas& dc, int32_t x, int32_t y, const char* text, uint32_t colour, int32_t anchor) {
    dc.text(x, y, text != nullptr ? text : "", colour, anchor);
}

void drawLine(Canvas& dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    dc.line(x1, y1, x2, y2, colour);
}

void fillRect(Canvas& dc, const Rect& rect, uint32_t colour) {
    dc.fillRect(rect, colour);
}

void drawCircle(Canvas& dc, int32_t x, int32_t y, int32_t radius, uint32_t colour) {
    if (radius <= 0) {
        return;
    }
    // Segments of about 8 pixels, 16 at least.
    const int32_t segments = radius < 20 ? 16 : (radius > 1000 ? 800 : radius * 2 * 314 / 800);
    int32_t lastX = x + radius;
    int32_t lastY = y;
    for (int32_t i = 1; i <= segments; ++i) {
        const double angle = 6.283185307179586 * i / segments;
        const auto nextX = static_cast<int32_t>(std::lround(x + radius * std::cos(angle)));
        const auto nextY = static_cast<int32_t>(std::lround(y + radius * std::sin(angle)));
        dc.line(lastX, lastY, nextX, nextY, colour);
        lastX = nextX;
        lastY = nextY;
    }
}
