// The main window's frames: 32-bit DIB sections kept from frame to frame.
// The layers (pad outlines and disc; the same with every pad's picture) are
// composed once; a frame is the base layer's pixels with the pressed pads'
// regions of the lit layer, and the rest drawn over them. Only the box in
// which it differs from the frame before goes to the window: one to one, or,
// on a larger window, stretched to the nearest pixel into a window-sized
// surface first. A window smaller than the frame gets the whole frame
// stretched with halftoning, which keeps the one-pixel lines.
#include <windows.h>

#include "base/logical_scale.h"
#include "graphics/frame_pixels.h"
#include "graphics/frame_target.h"
#include "graphics/gdi_canvas.h"
#include "graphics/gdi_frame_target.h"

#include <cstring>
#include <vector>

namespace {

// A top-down 32-bit DIB section selected into a memory context.
struct Surface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ displaced = nullptr;
    uint32_t* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;

    bool make(HDC like, int32_t w, int32_t h) {
        free();
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        bitmap = CreateDIBSection(like, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        dc = CreateCompatibleDC(like);
        if (bitmap == nullptr || dc == nullptr || pixels == nullptr) {
            free();
            return false;
        }
        displaced = SelectObject(dc, bitmap);
        bits = static_cast<uint32_t*>(pixels);
        width = w;
        height = h;
        return true;
    }

    void free() {
        if (dc != nullptr && displaced != nullptr) {
            SelectObject(dc, displaced);
        }
        if (dc != nullptr) {
            DeleteDC(dc);
        }
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        *this = Surface{};
    }

    bool ready() const { return dc != nullptr; }
};

class GdiFrameTarget : public FrameTarget {
  public:
    // The window the frames go to, asked for at each one.
    WindowHandle (*windowSource)() = nullptr;

    void present(const FramePlan& plan, bool whole) override {
        HWND window = static_cast<HWND>(windowSource != nullptr ? windowSource() : nullptr);
        RECT client = {};
        if (window == nullptr || plan.composeTop == nullptr || !IsWindow(window) ||
            !GetClientRect(window, &client)) {
            return;
        }
        HDC windowDc = GetDC(window);
        if (windowDc == nullptr) {
            return;
        }
        if (prepare(windowDc, plan)) {
            const int next = shown == 0 ? 1 : 0;
            Surface& frame = frames[next];
            assembleFrame(frame.bits, base.bits, lit.bits, plan.litRegions, plan.litCount);
            GdiCanvas canvas(frame.dc);
            plan.composeTop(canvas);
            GdiFlush();
            const bool all = whole || shown < 0;
            const FrameView view =
                frameViewIn(client.right - client.left, client.bottom - client.top);
            const bool larger = view.width >= FrameWidth && view.height >= FrameHeight &&
                                (view.width > FrameWidth || view.height > FrameHeight);
            // What changed since the frame shown: on a larger window, also
            // what the window-sized surface must take again when all of it
            // goes to the window.
            PixelBox boxes[MaxChangedBoxes] = {{0, 0, FrameWidth, FrameHeight}};
            // The same picture as the one shown needs no looking: nothing changed.
            const bool same = shown >= 0 && plan.fingerprint != 0 &&
                              plan.fingerprint == shownFingerprint &&
                              plan.layersVersion == layersVersion;
            int32_t count =
                same ? 0
                : shown >= 0 && (!all || larger)
                    ? changedBoxes(frame.bits, frames[shown].bits, boxes, MaxChangedBoxes)
                    : 1;
            // A window smaller than the frame gets the whole frame, once.
            if (count > 1 && (view.width < FrameWidth || view.height < FrameHeight)) {
                count = 1;
            }
            if (all) {
                clearBars(windowDc, client);
            }
            if (larger) {
                showStretched(windowDc, client, view, frame, boxes, count, all, shown, next);
            } else {
                scaledFrom = -1; // the window-sized surface is behind now
                for (int32_t i = 0; i < (all ? 1 : count); ++i) {
                    show(windowDc, client, frame,
                         all ? PixelBox{0, 0, FrameWidth, FrameHeight} : boxes[i]);
                }
            }
            shown = next;
            shownFingerprint = plan.fingerprint;
        }
        ReleaseDC(window, windowDc);
    }

  private:
    // The surfaces, and the layers composed for the plan's version. A
    // failure frees everything; the next frame tries again.
    bool prepare(HDC windowDc, const FramePlan& plan) {
        if (!base.ready()) {
            layersReady = false;
            shown = -1;
            if (!base.make(windowDc, FrameWidth, FrameHeight) ||
                !lit.make(windowDc, FrameWidth, FrameHeight) ||
                !frames[0].make(windowDc, FrameWidth, FrameHeight) ||
                !frames[1].make(windowDc, FrameWidth, FrameHeight)) {
                freeAll();
                return false;
            }
        }
        if (!layersReady || plan.layersVersion != layersVersion) {
            composeLayer(base, plan.composeBase);
            composeLayer(lit, plan.composeLit);
            layersReady = true;
            layersVersion = plan.layersVersion;
        }
        return true;
    }

    static void composeLayer(Surface& layer, ComposeFrame compose) {
        GdiFlush();
        std::memset(layer.bits, 0, sizeof(uint32_t) * FrameWidth * FrameHeight);
        if (compose != nullptr) {
            GdiCanvas canvas(layer.dc);
            compose(canvas);
        }
        GdiFlush();
    }

    // The bars beside a frame that keeps its proportions stay black: only
    // they are painted, the frame goes over the rest.
    static void clearBars(HDC windowDc, const RECT& client) {
        const int32_t width = client.right - client.left;
        const int32_t height = client.bottom - client.top;
        const FrameView view = frameViewIn(width, height);
        const RECT bars[4] = {
            {0, 0, width, view.y},                                      // above
            {0, view.y + view.height, width, height},                   // below
            {0, view.y, view.x, view.y + view.height},                  // left
            {view.x + view.width, view.y, width, view.y + view.height}, // right
        };
        for (const RECT& bar : bars) {
            if (bar.right > bar.left && bar.bottom > bar.top) {
                PatBlt(windowDc, client.left + bar.left, client.top + bar.top, bar.right - bar.left,
                       bar.bottom - bar.top, BLACKNESS);
            }
        }
    }

    // On a window larger than the frame, the frame is stretched into a
    // window-sized surface kept from frame to frame: only the boxes that
    // changed since the frame it holds are stretched again (all of it when
    // it was just made, or holds another frame), then the boxes, or all of
    // it for a repaint, go to the window.
    void showStretched(HDC windowDc, const RECT& client, const FrameView& view,
                       const Surface& frame, const PixelBox* boxes, int32_t count, bool all,
                       int before, int now) {
        if (scaled.width != view.width || scaled.height != view.height || !scaled.ready()) {
            if (!scaled.make(windowDc, view.width, view.height)) {
                scaledFrom = -1;
                return;
            }
            columns = sourceColumns(view.width);
            scaledFrom = -1;
        }
        const PixelBox everything = {0, 0, FrameWidth, FrameHeight};
        const bool fresh = scaledFrom < 0 || scaledFrom != before;
        for (int32_t i = 0; i < (fresh ? 1 : count); ++i) {
            stretchFrame(frame.bits, scaled.bits, view.width, view.height, columns,
                         stretchedBox(fresh ? everything : boxes[i], view.width, view.height));
        }
        scaledFrom = now;
        const bool whole = all || fresh;
        for (int32_t i = 0; i < (whole ? 1 : count); ++i) {
            const PixelBox onWindow =
                stretchedBox(whole ? everything : boxes[i], view.width, view.height);
            BitBlt(windowDc, client.left + view.x + onWindow.x0, client.top + view.y + onWindow.y0,
                   onWindow.x1 - onWindow.x0, onWindow.y1 - onWindow.y0, scaled.dc, onWindow.x0,
                   onWindow.y0, SRCCOPY);
        }
    }

    // The frame goes to its view in the client area, one to one, or on a
    // smaller window all of it, stretched with halftoning.
    void show(HDC windowDc, RECT client, const Surface& frame, PixelBox box) {
        const FrameView view = frameViewIn(client.right - client.left, client.bottom - client.top);
        client.left += view.x;
        client.top += view.y;
        const int32_t width = view.width;
        const int32_t height = view.height;
        // A minimised window has no client area: nothing to show.
        if (width <= 0 || height <= 0 || box.empty()) {
            return;
        }
        if (width == FrameWidth && height == FrameHeight) {
            BitBlt(windowDc, client.left + box.x0, client.top + box.y0, box.x1 - box.x0,
                   box.y1 - box.y0, frame.dc, box.x0, box.y0, SRCCOPY);
        } else {
            SetStretchBltMode(windowDc, HALFTONE);
            SetBrushOrgEx(windowDc, 0, 0, nullptr);
            StretchBlt(windowDc, client.left, client.top, width, height, frame.dc, 0, 0, FrameWidth,
                       FrameHeight, SRCCOPY);
        }
    }

    void freeAll() {
        for (Surface* surface : {&base, &lit, &frames[0], &frames[1], &scaled}) {
            surface->free();
        }
        layersReady = false;
        shown = -1;
        scaledFrom = -1;
    }

    Surface base;
    Surface lit;
    Surface frames[2];
    Surface scaled;
    std::vector<int32_t> columns;
    int shown = -1;      // which of the two frames the window shows; -1: neither
    int scaledFrom = -1; // which of them the window-sized surface holds stretched
    bool layersReady = false;
    uint64_t layersVersion = 0;
    uint64_t shownFingerprint = 0; // of the frame the window shows
};

GdiFrameTarget gdiFrameTarget;

} // namespace

void useGdiFrameTarget(WindowHandle (*window)()) {
    gdiFrameTarget.windowSource = window;
    frameTarget = &gdiFrameTarget;
}
