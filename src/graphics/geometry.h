// Points and rectangles of the logical screen.
#pragma once

#include <cstdint>

struct Point {
    int32_t x;
    int32_t y;
};

// Order top, left, bottom, right; both edges count as inside.
struct Rect {
    int32_t top;
    int32_t left;
    int32_t bottom;
    int32_t right;
};

// Anchor 7: (x, y) is the top-left corner. Other anchors give the same.
Rect makeRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t anchor);

Point operator+(Point a, Point b);
Point operator-(Point a, Point b);
bool operator==(Point a, Point b);
Rect operator+(Rect r, Point p);
Rect operator-(Rect r, Point p);
void clampToRect(int32_t& vertical, int32_t& horizontal, const Rect& rect);
bool rectsOverlap(const Rect& a, const Rect& b);
