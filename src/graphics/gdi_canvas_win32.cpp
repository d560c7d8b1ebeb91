// The drawing primitives over GDI.
#include <windows.h>

#include "graphics/gdi_canvas.h"

#include <cstring>

namespace {

// Every picture is drawn with magenta left out.
constexpr UINT TransparentColour = RGB(255, 0, 255);

// Texts are short; a longer one is cut rather than overflowing TextOutA's count.
constexpr size_t LongestText = 4096;

int textLength(const char* text) {
    size_t length = 0;
    while (length < LongestText && text[length] != '\0') {
        ++length;
    }
    return static_cast<int>(length);
}

// A one-pixel pen of the colour and the hollow brush, selected into the
// context for one outline or line and put back afterwards.
class OutlinePen {
  public:
    OutlinePen(HDC dc, uint32_t colour) : dc_(dc), pen_(CreatePen(PS_SOLID, 1, colour)) {
        if (pen_ != nullptr) {
            keptPen_ = SelectObject(dc_, pen_);
            keptBrush_ = SelectObject(dc_, GetStockObject(NULL_BRUSH));
        }
    }
    ~OutlinePen() {
        if (pen_ != nullptr) {
            SelectObject(dc_, keptPen_);
            DeleteObject(pen_);
            SelectObject(dc_, keptBrush_);
        }
    }
    OutlinePen(const OutlinePen&) = delete;
    OutlinePen& operator=(const OutlinePen&) = delete;
    bool ready() const { return pen_ != nullptr; }

  private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ keptPen_ = nullptr;
    HGDIOBJ keptBrush_ = nullptr;
};

} // namespace

void GdiCanvas::bitmap(int32_t x, int32_t y, int32_t w, int32_t h, BitmapHandle bitmap,
                       int32_t srcX, int32_t srcY, bool transparent, uint32_t rasterOp) {
    HDC dc = static_cast<HDC>(deviceContext);
    if (dc == nullptr || bitmap == nullptr || w <= 0 || h <= 0) {
        return;
    }
    HDC source = CreateCompatibleDC(dc);
    if (source == nullptr) {
        return;
    }
    HGDIOBJ kept = SelectObject(source, static_cast<HBITMAP>(bitmap));
    if (kept != nullptr && kept != HGDI_ERROR) {
        if (transparent) {
            TransparentBlt(dc, x, y, w, h, source, srcX, srcY, w, h, TransparentColour);
        } else {
            BitBlt(dc, x, y, w, h, source, srcX, srcY, rasterOp);
        }
        SelectObject(source, kept);
    }
    DeleteDC(source);
}

void GdiCanvas::rectOutline(const Rect& rect, uint32_t colour) {
    HDC dc = static_cast<HDC>(deviceContext);
    if (dc == nullptr) {
        return;
    }
    const OutlinePen pen(dc, colour);
    if (pen.ready()) {
        Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    }
}

void GdiCanvas::text(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t anchor) {
    HDC dc = static_cast<HDC>(deviceContext);
    if (dc == nullptr) {
        return;
    }
    SetTextAlign(dc, textAlignmentFor(anchor));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    if (text == nullptr) {
        return;
    }
    const int length = textLength(text);
    if (length > 0) {
        TextOutA(dc, x, y, text, length);
    }
}

void GdiCanvas::line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    HDC dc = static_cast<HDC>(deviceContext);
    if (dc == nullptr) {
        return;
    }
    const OutlinePen pen(dc, colour);
    if (pen.ready()) {
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
    }
}

void GdiCanvas::fillRect(const Rect& rect, uint32_t colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) {
        return;
    }
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush == nullptr) {
        return;
    }
    const RECT box = {rect.left, rect.top, rect.right, rect.bottom};
    FillRect(static_cast<HDC>(deviceContext), &box, brush);
    DeleteObject(brush);
}
