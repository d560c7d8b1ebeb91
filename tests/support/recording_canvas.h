// A canvas that records what is drawn on it, for tests of frame composition.
#pragma once

#include "graphics/canvas.h"
#include "graphics/frame_target.h"

#include <string>
#include <vector>

struct DrawnText {
    int32_t x;
    int32_t y;
    std::string text;
    uint32_t colour;
    int32_t anchor;
};

struct DrawnLine {
    int32_t x1;
    int32_t y1;
    int32_t x2;
    int32_t y2;
    uint32_t colour;
};

struct DrawnBitmap {
    int32_t x;
    int32_t y;
    BitmapHandle bitmap;
};

struct DrawnOutline {
    Rect rect;
    uint32_t colour;
};

class RecordingCanvas : public Canvas {
  public:
    void bitmap(int32_t x, int32_t y, int32_t, int32_t, BitmapHandle handle, int32_t, int32_t, bool,
                uint32_t) override {
        bitmaps.push_back({x, y, handle});
        order.push_back("bitmap");
    }
    void rectOutline(const Rect& rect, uint32_t colour) override {
        outlines.push_back({rect, colour});
        order.push_back("outline");
    }
    void text(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t anchor) override {
        texts.push_back({x, y, text != nullptr ? text : "", colour, anchor});
        order.push_back("text");
    }
    void line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) override {
        lines.push_back({x1, y1, x2, y2, colour});
        order.push_back("line");
    }

    void fillRect(const Rect& rect, uint32_t colour) override {
        fills.push_back({rect, colour});
        order.push_back("fill");
    }

    std::vector<DrawnText> texts;
    std::vector<DrawnOutline> fills;
    std::vector<DrawnLine> lines;
    std::vector<DrawnBitmap> bitmaps;
    std::vector<DrawnOutline> outlines;
    std::vector<std::string> order;
};

// Composes each presented frame on a fresh RecordingCanvas and keeps them all:
// the base layer, then the top.
class RecordingFrameTarget : public FrameTarget {
  public:
    void present(const FramePlan& plan, bool) override {
        frames.emplace_back();
        if (plan.composeBase != nullptr) {
            plan.composeBase(frames.back());
        }
        plan.composeTop(frames.back());
    }
    std::vector<RecordingCanvas> frames;
};
