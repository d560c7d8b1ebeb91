// The drawing primitives on a GDI device context (Windows builds only;
// gdi_canvas_win32.cpp). Every call creates the GDI objects it needs and
// releases them before it returns: nothing is kept between calls.
#pragma once

#include "graphics/canvas.h"

class GdiCanvas : public Canvas {
  public:
    // deviceContext is an HDC; the canvas draws on it and does not own it.
    explicit GdiCanvas(void* deviceContext) : deviceContext(deviceContext) {}

    void bitmap(int32_t x, int32_t y, int32_t w, int32_t h, BitmapHandle bitmap, int32_t srcX,
                int32_t srcY, bool transparent, uint32_t rasterOp) override;
    void rectOutline(const Rect& rect, uint32_t colour) override;
    void text(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t anchor) override;
    void line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) override;
    void fillRect(const Rect& rect, uint32_t colour) override;

  private:
    void* deviceContext;
};
