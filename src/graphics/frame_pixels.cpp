#include "graphics/frame_pixels.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t RowBytes = sizeof(uint32_t) * FrameWidth;

// The first source pixel at or past which a destination pixel's nearest
// source lies: the destination index d takes source d * from / to.
int32_t firstDestination(int32_t source, int32_t from, int32_t to) {
    return static_cast<int32_t>((int64_t{source} * to + from - 1) / from);
}

} // namespace

void assembleFrame(uint32_t* frame, const uint32_t* base, const uint32_t* lit,
                   const PixelRegion* regions, int32_t count) {
    std::memcpy(frame, base, RowBytes * FrameHeight);
    for (int32_t i = 0; regions != nullptr && i < count; ++i) {
        const PixelRegion& r = regions[i];
        const int32_t x0 = std::max(r.x, 0);
        const int32_t y0 = std::max(r.y, 0);
        const int32_t x1 = std::min(int64_t{r.x} + r.width, int64_t{FrameWidth});
        const int32_t y1 = std::min(int64_t{r.y} + r.height, int64_t{FrameHeight});
        for (int32_t y = y0; y < y1 && x0 < x1; ++y) {
            const size_t at = static_cast<size_t>(y) * FrameWidth + static_cast<size_t>(x0);
            std::memcpy(frame + at, lit + at, sizeof(uint32_t) * static_cast<size_t>(x1 - x0));
        }
    }
}

namespace {

// Unchanged columns this many or more part a run of rows into two boxes:
// pads side by side in a row go to the window each on its own, not with
// the frame between them.
constexpr int32_t ColumnGap = 16;

// The box, or, once max are taken, the last one grown to hold it too.
void addBox(PixelBox* boxes, int32_t& count, int32_t max, const PixelBox& box) {
    if (count < max) {
        boxes[count++] = box;
        return;
    }
    PixelBox& last = boxes[count - 1];
    last = {std::min(last.x0, box.x0), std::min(last.y0, box.y0), std::max(last.x1, box.x1),
            std::max(last.y1, box.y1)};
}

// The columns of a run of rows in which anything changed, as boxes.
void addColumns(const uint32_t* now, const uint32_t* before, const PixelBox& run, PixelBox* boxes,
                int32_t& count, int32_t max) {
    bool changed[FrameWidth] = {};
    for (int32_t y = run.y0; y < run.y1; ++y) {
        const size_t row = static_cast<size_t>(y) * FrameWidth;
        for (int32_t x = run.x0; x < run.x1; ++x) {
            changed[x] = changed[x] ||
                         now[row + static_cast<size_t>(x)] != before[row + static_cast<size_t>(x)];
        }
    }
    for (int32_t x = run.x0; x < run.x1;) {
        if (!changed[x]) {
            ++x;
            continue;
        }
        int32_t last = x;
        for (int32_t c = x; c < run.x1 && c - last <= ColumnGap; ++c) {
            last = changed[c] ? c : last;
        }
        addBox(boxes, count, max, PixelBox{x, run.y0, last + 1, run.y1});
        x = last + 1;
    }
}

} // namespace

int32_t changedBoxes(const uint32_t* now, const uint32_t* before, PixelBox* boxes, int32_t max) {
    if (max <= 0) {
        return 0;
    }
    // The runs of changed rows, each as wide as its changes; then each run
    // parted where whole columns of it are unchanged.
    PixelBox runs[FrameHeight / 2 + 1];
    int32_t runCount = 0;
    bool inRun = false;
    for (int32_t y = 0; y < FrameHeight; ++y) {
        const uint32_t* a = now + static_cast<size_t>(y) * FrameWidth;
        const uint32_t* b = before + static_cast<size_t>(y) * FrameWidth;
        if (std::memcmp(a, b, RowBytes) == 0) {
            inRun = false;
            continue;
        }
        int32_t left = 0;
        while (a[left] == b[left]) {
            ++left;
        }
        int32_t right = FrameWidth;
        while (a[right - 1] == b[right - 1]) {
            --right;
        }
        if (!inRun) {
            runs[runCount++] = PixelBox{left, y, right, y + 1};
        } else {
            PixelBox& run = runs[runCount - 1];
            run = {std::min(run.x0, left), run.y0, std::max(run.x1, right), y + 1};
        }
        inRun = true;
    }
    int32_t count = 0;
    for (int32_t i = 0; i < runCount; ++i) {
        addColumns(now, before, runs[i], boxes, count, max);
    }
    return count;
}

PixelBox changedBox(const uint32_t* now, const uint32_t* before) {
    // One box: every run of changed rows joined.
    PixelBox box = {0, 0, 0, 0};
    changedBoxes(now, before, &box, 1);
    return box;
}

PixelBox stretchedBox(const PixelBox& box, int32_t width, int32_t height) {
    if (box.empty() || width <= 0 || height <= 0) {
        return {0, 0, 0, 0};
    }
    return {
        firstDestination(box.x0, FrameWidth, width), firstDestination(box.y0, FrameHeight, height),
        firstDestination(box.x1, FrameWidth, width), firstDestination(box.y1, FrameHeight, height)};
}

std::vector<int32_t> sourceColumns(int32_t width) {
    std::vector<int32_t> columns(static_cast<size_t>(std::max(width, 0)));
    for (int32_t x = 0; x < width; ++x) {
        columns[static_cast<size_t>(x)] = static_cast<int32_t>(int64_t{x} * FrameWidth / width);
    }
    return columns;
}

void stretchFrame(const uint32_t* frame, uint32_t* destination, int32_t width, int32_t height,
                  const std::vector<int32_t>& columns, const PixelBox& box) {
    const int32_t x0 = std::max(box.x0, 0);
    const int32_t x1 = std::min(box.x1, width);
    const int32_t y1 = std::min(box.y1, height);
    if (x0 >= x1) {
        return;
    }
    // Each source column of the box fills a run of destination columns (two
    // or three on a 4K screen): where each run starts, cut to the box.
    const int32_t c0 = columns[static_cast<size_t>(x0)];
    const int32_t c1 = columns[static_cast<size_t>(x1 - 1)];
    int32_t starts[FrameWidth + 1];
    for (int32_t c = c0; c <= c1 + 1; ++c) {
        starts[c - c0] = std::clamp(firstDestination(c, FrameWidth, width), x0, x1);
    }
    int32_t lastSource = -1;
    const uint32_t* lastRow = nullptr;
    for (int32_t y = std::max(box.y0, 0); y < y1; ++y) {
        const auto source = static_cast<int32_t>(int64_t{y} * FrameHeight / height);
        uint32_t* row = destination + static_cast<size_t>(y) * static_cast<size_t>(width);
        if (source == lastSource) {
            // A repeated source row: the row above is the same.
            std::memcpy(row + x0, lastRow + x0, sizeof(uint32_t) * static_cast<size_t>(x1 - x0));
            continue;
        }
        const uint32_t* from = frame + static_cast<size_t>(source) * FrameWidth;
        for (int32_t c = c0; c <= c1; ++c) {
            const uint32_t pixel = from[c];
            for (int32_t x = starts[c - c0]; x < starts[c - c0 + 1]; ++x) {
                row[x] = pixel;
            }
        }
        lastSource = source;
        lastRow = row;
    }
}
