#include "graphics/raster_canvas.h"

#include "graphics/bitmap_font.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t AlignRightBit = 2;
constexpr uint32_t AlignCentreBits = 6;
constexpr uint32_t AlignBottomBit = 8;

// GDI keeps coordinates to 28 signed bits; beyond that a line is refused.
constexpr int64_t CoordinateLimit = int64_t{1} << 27;

bool withinLimit(int64_t v) {
    return v > -CoordinateLimit && v < CoordinateLimit;
}

// Floor of a / b for b > 0.
int64_t floorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

} // namespace

void RasterCanvas::horizontalRun(int64_t y, int64_t from, int64_t to, uint32_t colour) {
    // Pixels from..to inclusive on row y.
    if (y < 0 || y >= surface.height) {
        return;
    }
    const int64_t a = std::max<int64_t>(from, 0);
    const int64_t b = std::min<int64_t>(to, surface.width - 1);
    uint32_t* row = surface.pixels.data() + y * surface.width;
    for (int64_t x = a; x <= b; ++x) {
        row[x] = colour;
    }
}

void RasterCanvas::verticalRun(int64_t x, int64_t from, int64_t to, uint32_t colour) {
    if (x < 0 || x >= surface.width) {
        return;
    }
    const int64_t a = std::max<int64_t>(from, 0);
    const int64_t b = std::min<int64_t>(to, surface.height - 1);
    for (int64_t y = a; y <= b; ++y) {
        surface.pixels[static_cast<size_t>(y * surface.width + x)] = colour;
    }
}

void RasterCanvas::bitmap(int32_t x, int32_t y, int32_t w, int32_t h, BitmapHandle bitmap,
                          int32_t srcX, int32_t srcY, bool transparent, uint32_t) {
    const auto* source = static_cast<const PixelImage*>(bitmap);
    if (source == nullptr || w <= 0 || h <= 0 || source->width <= 0 || source->height <= 0 ||
        source->pixels.size() !=
            static_cast<size_t>(source->width) * static_cast<size_t>(source->height)) {
        return;
    }
    // Offsets into the region that stay inside both the source and the surface.
    const int64_t firstColumn = std::max<int64_t>({0, -int64_t{srcX}, -int64_t{x}});
    const int64_t firstRow = std::max<int64_t>({0, -int64_t{srcY}, -int64_t{y}});
    const int64_t endColumn =
        std::min<int64_t>({w, int64_t{source->width} - srcX, int64_t{surface.width} - x});
    const int64_t endRow =
        std::min<int64_t>({h, int64_t{source->height} - srcY, int64_t{surface.height} - y});
    if (firstColumn >= endColumn || firstRow >= endRow) {
        return;
    }
    const int64_t count = endColumn - firstColumn;
    for (int64_t r = firstRow; r < endRow; ++r) {
        const uint32_t* from =
            source->pixels.data() + (srcY + r) * source->width + srcX + firstColumn;
        uint32_t* to = surface.pixels.data() + (y + r) * surface.width + x + firstColumn;
        if (!transparent) {
            std::memmove(to, from, static_cast<size_t>(count) * sizeof(uint32_t));
            continue;
        }
        for (int64_t i = 0; i < count; ++i) {
            if (from[i] != TransparentKey) {
                to[i] = from[i];
            }
        }
    }
}

void RasterCanvas::rectOutline(const Rect& rect, uint32_t colour) {
    int64_t left = std::min(rect.left, rect.right);
    int64_t right = std::max(rect.left, rect.right);
    int64_t top = std::min(rect.top, rect.bottom);
    int64_t bottom = std::max(rect.top, rect.bottom);
    if (right <= left || bottom <= top) {
        return;
    }
    horizontalRun(top, left, right - 1, colour);
    horizontalRun(bottom - 1, left, right - 1, colour);
    verticalRun(left, top, bottom - 1, colour);
    verticalRun(right - 1, top, bottom - 1, colour);
}

void RasterCanvas::fillRect(const Rect& rect, uint32_t colour) {
    const int64_t left = std::max<int64_t>(rect.left, 0);
    const int64_t top = std::max<int64_t>(rect.top, 0);
    const int64_t right = std::min<int64_t>(rect.right, surface.width);
    const int64_t bottom = std::min<int64_t>(rect.bottom, surface.height);
    for (int64_t y = top; y < bottom; ++y) {
        for (int64_t x = left; x < right; ++x) {
            surface.pixels[static_cast<size_t>(y * surface.width + x)] = colour;
        }
    }
}

void RasterCanvas::line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    if (!withinLimit(x1) || !withinLimit(y1) || !withinLimit(x2) || !withinLimit(y2)) {
        return;
    }
    const int64_t dx = int64_t{x2} - x1;
    const int64_t dy = int64_t{y2} - y1;
    const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    // Walk the major axis one pixel a step, start included, end excluded; the
    // minor coordinate is the exact one rounded half up, as Bresenham's steps
    // give it. Only steps whose major coordinate lies on the surface are taken.
    const int64_t major0 = xMajor ? x1 : y1;
    const int64_t minor0 = xMajor ? y1 : x1;
    const int64_t dMajor = xMajor ? dx : dy;
    const int64_t dMinor = xMajor ? dy : dx;
    const int64_t steps = dMajor < 0 ? -dMajor : dMajor;
    if (steps == 0) {
        return;
    }
    const int64_t dir = dMajor < 0 ? -1 : 1;
    const int64_t majorSize = xMajor ? surface.width : surface.height;
    const int64_t minorSize = xMajor ? surface.height : surface.width;
    // Steps i in [0, steps) with 0 <= major0 + dir * i < majorSize.
    int64_t first = 0;
    int64_t last = steps - 1;
    if (dir > 0) {
        first = std::max<int64_t>(first, -major0);
        last = std::min<int64_t>(last, majorSize - 1 - major0);
    } else {
        first = std::max<int64_t>(first, major0 - (majorSize - 1));
        last = std::min<int64_t>(last, major0);
    }
    for (int64_t i = first; i <= last; ++i) {
        const int64_t major = major0 + dir * i;
        const int64_t minor = minor0 + floorDiv(2 * i * dMinor + steps, 2 * steps);
        if (minor < 0 || minor >= minorSize) {
            continue;
        }
        const int64_t px = xMajor ? major : minor;
        const int64_t py = xMajor ? minor : major;
        surface.pixels[static_cast<size_t>(py * surface.width + px)] = colour;
    }
}

void RasterCanvas::glyph(int64_t x, int64_t y, unsigned char c, uint32_t colour) {
    const Glyph& g = glyphFor(c);
    const int64_t top = y + GlyphTop + (g.descender ? DescenderDrop : 0);
    for (int32_t r = 0; r < GlyphRows; ++r) {
        const int64_t py = top + r;
        if (py < 0 || py >= surface.height || g.rows[r] == 0) {
            continue;
        }
        for (int32_t col = 0; col < GlyphWidth; ++col) {
            const int64_t px = x + GlyphLeft + col;
            if ((g.rows[r] & (0x10u >> col)) != 0 && px >= 0 && px < surface.width) {
                surface.pixels[static_cast<size_t>(py * surface.width + px)] = colour;
            }
        }
    }
}

void RasterCanvas::text(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t anchor) {
    if (text == nullptr || text[0] == '\0') {
        return;
    }
    const uint32_t align = textAlignmentFor(anchor);
    const int64_t width = textWidth(text);
    int64_t left = x;
    if ((align & AlignCentreBits) == AlignCentreBits) {
        left -= width / 2;
    } else if ((align & AlignRightBit) != 0) {
        left -= width;
    }
    const int64_t top = (align & AlignBottomBit) != 0 ? int64_t{y} - FontHeight : y;
    if (top >= surface.height || top + FontHeight <= 0) {
        return;
    }
    int64_t cell = left;
    for (const char* p = text; *p != '\0' && cell < surface.width; ++p, cell += FontCellWidth) {
        if (cell + FontCellWidth > 0) {
            glyph(cell, top, static_cast<unsigned char>(*p), colour);
        }
    }
}
