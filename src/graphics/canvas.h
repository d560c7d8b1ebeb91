// The four drawing primitives, on whatever surface a frame is drawn on.
//
// On Windows the surface is a GDI memory device context; natively it is a
// 1280 x 720 pixel buffer that follows GDI's pixel rules (raster_canvas.h).
#pragma once

#include "graphics/geometry.h"

#include <cstdint>

// HBITMAP on Windows; a PixelImage* (pixel_image.h) in the native build.
using BitmapHandle = void*;

// Colours are 0x00BBGGRR.
constexpr uint32_t ColourRed = 0x0000FF;
constexpr uint32_t ColourGreen = 0x00FF00;
constexpr uint32_t ColourBlue = 0xFF0000;
constexpr uint32_t ColourYellow = 0x00FFFF;
constexpr uint32_t ColourMagenta = 0xFF00FF;

class Canvas {
  public:
    virtual ~Canvas() = default;
    virtual void bitmap(int32_t x, int32_t y, int32_t w, int32_t h, BitmapHandle bitmap,
                        int32_t srcX, int32_t srcY, bool transparent, uint32_t rasterOp) = 0;
    virtual void rectOutline(const Rect& rect, uint32_t colour) = 0;
    virtual void text(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t anchor) = 0;
    virtual void line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) = 0;
    // The columns left to right - 1 and rows top to bottom - 1 in one colour
    // (GDI's FillRect); an inverted or empty rectangle fills nothing.
    virtual void fillRect(const Rect& rect, uint32_t colour) = 0;
};

void drawBitmap(Canvas& dc, int32_t x, int32_t y, int32_t w, int32_t h, BitmapHandle bitmap,
                int32_t srcX, int32_t srcY, bool transparent, uint32_t rasterOp);
void drawRectOutline(Canvas& dc, const Rect& rect, uint32_t colour);
void drawText(Canvas& dc, int32_t x, int32_t y, const char* text, uint32_t colour, int32_t anchor);
void drawLine(Canvas& dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
void fillRect(Canvas& dc, const Rect& rect, uint32_t colour);
// A circle's outline as a polygon of lines, fine enough for its size.
void drawCircle(Canvas& dc, int32_t x, int32_t y, int32_t radius, uint32_t colour);

// The text alignment that an anchor code sets (TA_* values of the platform).
uint32_t textAlignmentFor(int32_t anchor);
