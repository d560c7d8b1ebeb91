#include "graphics/geometry.h"

Rect makeRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t /*anchor*/) {
    return Rect{y, x, y + h, x + w};
}

Point operator+(Point a, Point b) {
    return Point{a.x + b.x, a.y + b.y};
}

Point operator-(Point a, Point b) {
    return Point{a.x - b.x, a.y - b.y};
}

bool operator==(Point a, Point b) {
    return a.x == b.x && a.y == b.y;
}

Rect operator+(Rect r, Point p) {
    return Rect{r.top + p.y, r.left + p.x, r.bottom + p.y, r.right + p.x};
}

Rect operator-(Rect r, Point p) {
    return Rect{r.top - p.y, r.left - p.x, r.bottom - p.y, r.right - p.x};
}

void clampToRect(int32_t& vertical, int32_t& horizontal, const Rect& rect) {
    if (vertical < rect.top) {
        vertical = rect.top;
    } else if (vertical > rect.bottom) {
        vertical = rect.bottom;
    }
    if (horizontal < rect.left) {
        horizontal = rect.left;
    } else if (horizontal > rect.right) {
        horizontal = rect.right;
    }
}

bool rectsOverlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
