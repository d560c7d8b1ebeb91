// The back buffer of the main window: a fresh 1280 x 720 bitmap every frame,
// composed, then stretched onto the whole client area in one blit.
#include <windows.h>

#include "engine/window_proc.h"
#include "graphics/frame_target.h"
#include "graphics/gdi_canvas.h"
#include "graphics/gdi_frame_target.h"

namespace {

constexpr int LogicalWidth = 1280;
constexpr int LogicalHeight = 720;

void composeInto(HDC windowDc, const RECT& client, ComposeFrame compose) {
    HDC backDc = CreateCompatibleDC(windowDc);
    if (backDc == nullptr) {
        return;
    }
    HBITMAP backBuffer = CreateCompatibleBitmap(windowDc, LogicalWidth, LogicalHeight);
    if (backBuffer != nullptr) {
        HGDIOBJ displaced = SelectObject(backDc, backBuffer);
        // A new bitmap is black already; clearing makes it so on every driver.
        PatBlt(backDc, 0, 0, LogicalWidth, LogicalHeight, BLACKNESS);
        GdiCanvas canvas(backDc);
        compose(canvas);
        const int width = client.right - client.left;
        const int height = client.bottom - client.top;
        // A minimised window has no client area: nothing to show.
        if (width > 0 && height > 0) {
            StretchBlt(windowDc, client.left, client.top, width, height, backDc, 0, 0, LogicalWidth,
                       LogicalHeight, SRCCOPY);
        }
        SelectObject(backDc, displaced);
        DeleteObject(backBuffer);
    }
    DeleteDC(backDc);
}

class GdiFrameTarget : public FrameTarget {
  public:
    void present(ComposeFrame compose) override {
        HWND window = static_cast<HWND>(mainWindow);
        if (window == nullptr || compose == nullptr || !IsWindow(window)) {
            return;
        }
        RECT client = {};
        if (!GetClientRect(window, &client)) {
            return;
        }
        // Painting outside WM_PAINT: invalidate the whole client area without
        // erasing, so that BeginPaint hands it all over and validates it.
        InvalidateRect(window, &client, FALSE);
        PAINTSTRUCT paint = {};
        HDC windowDc = BeginPaint(window, &paint);
        if (windowDc != nullptr) {
            composeInto(windowDc, client, compose);
        }
        EndPaint(window, &paint);
    }
};

GdiFrameTarget gdiFrameTarget;

} // namespace

void useGdiFrameTarget() {
    frameTarget = &gdiFrameTarget;
}
