#include "core/rect.h"

#include <algorithm>

bool IsRectEmpty(const Rect& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

bool IntersectRects(Rect* out, const Rect& a, const Rect& b) {
    Rect overlap = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                    std::min(a.bottom, b.bottom)};
    if (IsRectEmpty(overlap)) {
        *out = Rect{0, 0, 0, 0};
        return false;
    }
    *out = overlap;
    return true;
}

bool IsPointInRect(const Rect& r, Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

void OffsetRectBy(Rect* r, std::int32_t dx, std::int32_t dy) {
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
}
