// Pieces of a client-sized pixel surface, shared by the programs that keep
// every client pixel in a buffer of their own (the Linux and web programs).
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/rect.h"

// Opaque white and black read the same whichever of red and blue comes first,
// so they serve both surfaces' pixel orders.
constexpr std::uint32_t kSurfaceWhite = 0xFFFFFFFF;
constexpr std::uint32_t kSurfaceBlack = 0xFF000000;

// The bounding rectangle of both; an empty rectangle adds nothing.
inline void UniteRectInto(Rect* total, const Rect& area) {
    if (IsRectEmpty(area)) {
        return;
    }
    if (IsRectEmpty(*total)) {
        *total = area;
        return;
    }
    total->left = std::min(total->left, area.left);
    total->top = std::min(total->top, area.top);
    total->right = std::max(total->right, area.right);
    total->bottom = std::max(total->bottom, area.bottom);
}

// Fills area (inside the surface) of a surface width pixels wide.
inline void FillSurfaceArea(std::uint32_t* pixels, std::int32_t width, const Rect& area,
                            std::uint32_t colour) {
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        std::uint32_t* row = pixels + static_cast<std::size_t>(y) * width;
        std::fill(row + area.left, row + area.right, colour);
    }
}

// Calls whiten(x, y) for the pixels of r's one-pixel outline (columns left and
// right - 1, rows top and bottom - 1) inside a width x height client. Clipped
// to the client first, so a selection moved far away costs nothing.
template <typename Whiten>
void ForEachOutlinePixel(const Rect& r, std::int32_t width, std::int32_t height, Whiten whiten) {
    if (IsRectEmpty(r)) {
        return;
    }
    for (std::int32_t y : {r.top, r.bottom - 1}) {
        for (std::int32_t x = std::max(r.left, 0); x < std::min(r.right, width); ++x) {
            whiten(x, y);
        }
    }
    for (std::int32_t x : {r.left, r.right - 1}) {
        for (std::int32_t y = std::max(r.top, 0); y < std::min(r.bottom, height); ++y) {
            whiten(x, y);
        }
    }
}
