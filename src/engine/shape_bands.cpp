#include "engine/shape_bands.h"

#include <algorithm>

namespace {

struct Span {
    int32_t left;
    int32_t right;
    bool operator==(const Span&) const = default;
};

// The columns the boxes cover from top to bottom, joined where they meet.
std::vector<Span> spansOfBand(const std::vector<WinRect>& boxes, int32_t top, int32_t bottom) {
    std::vector<Span> spans;
    for (const WinRect& box : boxes) {
        if (box.top <= top && box.bottom >= bottom) {
            spans.push_back(Span{box.left, box.right});
        }
    }
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.left < b.left; });
    std::vector<Span> joined;
    for (const Span& span : spans) {
        if (!joined.empty() && span.left <= joined.back().right) {
            joined.back().right = std::max(joined.back().right, span.right);
        } else {
            joined.push_back(span);
        }
    }
    return joined;
}

} // namespace

void shapeBands(std::vector<WinRect>& boxes) {
    std::erase_if(boxes, [](const WinRect& b) { return b.right <= b.left || b.bottom <= b.top; });
    std::vector<int32_t> edges;
    for (const WinRect& box : boxes) {
        edges.push_back(box.top);
        edges.push_back(box.bottom);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::vector<WinRect> bands;
    std::vector<Span> previous;
    size_t previousFirst = 0;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        const std::vector<Span> spans = spansOfBand(boxes, edges[i], edges[i + 1]);
        // The same columns right below the band before: it grows.
        if (!spans.empty() && spans == previous && bands[previousFirst].bottom == edges[i]) {
            for (size_t b = previousFirst; b < bands.size(); ++b) {
                bands[b].bottom = edges[i + 1];
            }
            continue;
        }
        previousFirst = bands.size();
        for (const Span& span : spans) {
            bands.push_back(WinRect{span.left, edges[i], span.right, edges[i + 1]});
        }
        previous = spans;
    }
    boxes = std::move(bands);
}
