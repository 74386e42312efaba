// Client-area rectangles and points with the window system's conventions:
// origin top-left, y down, left/top inclusive, right/bottom exclusive.
#pragma once

#include <cstdint>

struct Rect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

struct Point {
    std::int32_t x;
    std::int32_t y;
};

bool IsRectEmpty(const Rect& r);

// Writes the overlap of a and b into *out and reports whether it is non-empty;
// an empty overlap is written as the all-zero rectangle.
bool IntersectRects(Rect* out, const Rect& a, const Rect& b);

bool IsPointInRect(const Rect& r, Point p);

void OffsetRectBy(Rect* r, std::int32_t dx, std::int32_t dy);
