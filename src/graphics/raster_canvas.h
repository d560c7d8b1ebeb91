// The four drawing primitives on a pixel buffer, with GDI's pixel rules: what
// a frame looks like natively, pixel for pixel where GDI's rules are plain.
//
// - bitmap: the handle is a PixelImage*; the w x h region at (srcX, srcY) is
//   copied to (x, y) without scaling, cut to both images. Transparent copies
//   leave magenta (0xFF00FF) source pixels out. Every raster operation is
//   drawn as a plain copy (the system only ever asks for SRCCOPY).
// - rectOutline: GDI's Rectangle with a one-pixel pen and a hollow brush:
//   columns left to right - 1 and rows top to bottom - 1, the inside kept.
//   A rectangle given inverted is first put in order (as GDI does); one with
//   no width or no height after that draws nothing.
// - line: from (x1, y1) towards (x2, y2), the end point not drawn. A line
//   with a coordinate beyond +-2^27 draws nothing, as GDI refuses such
//   coordinates; the loop only runs over the surface's width or height.
// - text: the font of bitmap_font.h, placed by the anchor's alignment,
//   transparent background. Null or empty text draws nothing.
// Everything is cut to the surface.
#pragma once

#include "graphics/canvas.h"
#include "graphics/pixel_image.h"

class RasterCanvas : public Canvas {
  public:
    explicit RasterCanvas(PixelImage& surface) : surface(surface) {}

    void bitmap(int32_t x, int32_t y, int32_t w, int32_t h, BitmapHandle bitmap, int32_t srcX,
                int32_t srcY, bool transparent, uint32_t rasterOp) override;
    void rectOutline(const Rect& rect, uint32_t colour) override;
    void text(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t anchor) override;
    void line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) override;
    void fillRect(const Rect& rect, uint32_t colour) override;

  private:
    void horizontalRun(int64_t y, int64_t from, int64_t to, uint32_t colour);
    void verticalRun(int64_t x, int64_t from, int64_t to, uint32_t colour);
    void glyph(int64_t x, int64_t y, unsigned char c, uint32_t colour);

    PixelImage& surface;
};

// A source pixel of this colour is left out of transparent copies.
constexpr uint32_t TransparentKey = 0xFF00FF;
