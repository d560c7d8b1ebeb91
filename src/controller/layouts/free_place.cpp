#include "controller/layouts/free_place.h"

#include "controller/layouts/layout_editor.h"

#include <algorithm>

namespace {

constexpr int32_t FrameWidth = 1280;
constexpr int32_t FrameHeight = 720;

bool samePlace(const Rect& a, const Rect& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

} // namespace

std::vector<Rect> edgePlaces(int32_t width, int32_t height, int32_t margin) {
    std::vector<Rect> places;
    for (const int32_t across : {0, 1, 2}) {
        for (const int32_t down : {0, 1, 2}) {
            if (across == 1 && down == 1) {
                continue;
            }
            const int32_t x = margin + (FrameWidth - 2 * margin - width) * across / 2;
            const int32_t y = margin + (FrameHeight - 2 * margin - height) * down / 2;
            places.push_back(Rect{y, x, y + height, x + width});
        }
    }
    return places;
}

int64_t controlsUnder(const Layout& layout, const Rect& place) {
    int64_t covered = 0;
    for (int32_t i = 0; i < controlCount(layout); ++i) {
        const ControlBox box = frameBoxOf(layout, i);
        const int64_t w =
            std::min<int64_t>(box.right + 1, place.right) - std::max<int64_t>(box.left, place.left);
        const int64_t h =
            std::min<int64_t>(box.bottom + 1, place.bottom) - std::max<int64_t>(box.top, place.top);
        covered += std::max<int64_t>(w, 0) * std::max<int64_t>(h, 0);
    }
    return covered;
}

std::vector<Rect> byCover(const Layout& layout, const std::vector<Rect>& places) {
    struct Ranked {
        int64_t covered;
        Rect place;
    };
    std::vector<Ranked> ranked;
    for (const Rect& place : places) {
        const bool seen = std::any_of(ranked.begin(), ranked.end(), [&place](const Ranked& r) {
            return samePlace(r.place, place);
        });
        if (!seen) {
            ranked.push_back(Ranked{controlsUnder(layout, place), place});
        }
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const Ranked& a, const Ranked& b) { return a.covered < b.covered; });
    std::vector<Rect> sorted;
    for (const Ranked& r : ranked) {
        sorted.push_back(r.place);
    }
    return sorted;
}
