#include "core/render.h"

#include "core/escape.h"
#include "core/palette.h"
#include "core/view.h"

std::uint64_t PixelCount(const Rect& region) {
    if (IsRectEmpty(region)) {
        return 0;
    }
    std::uint64_t width =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(region.right) - region.left);
    std::uint64_t height =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(region.bottom) - region.top);
    return width * height;
}

void RenderRegion(const Rect& region, std::uint32_t* pixels) {
    if (IsRectEmpty(region)) {
        return;
    }
    std::size_t width =
        static_cast<std::size_t>(static_cast<std::int64_t>(region.right) - region.left);
    for (std::int32_t x = region.left; x < region.right; ++x) {
        double cx = static_cast<double>(x) / pixelsPerUnitX + reLeft;
        std::uint32_t* column = pixels + (x - static_cast<std::int64_t>(region.left));
        for (std::int32_t y = region.top; y < region.bottom; ++y) {
            double cy = static_cast<double>(y) / pixelsPerUnitY - imOffset;
            // The table's top byte is zero, so the wrap sets alpha to 0xFF.
            column[static_cast<std::size_t>(y - static_cast<std::int64_t>(region.top)) * width] =
                Palette[EscapeIndex(cx, cy)] - 0x01000000u;
        }
    }
}
