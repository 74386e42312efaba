#include "tests/literal_render.h"

#include "core/escape.h"
#include "core/palette.h"
#include "core/view.h"

void RenderLiterally(const Rect& region, std::uint32_t* pixels) {
    for (std::int32_t y = region.top; y < region.bottom; ++y) {
        double cy = static_cast<double>(y) / pixelsPerUnitY - imOffset;
        for (std::int32_t x = region.left; x < region.right; ++x) {
            double cx = static_cast<double>(x) / pixelsPerUnitX + reLeft;
            // Unsigned wrap-around turns the empty top byte into alpha 0xFF.
            *pixels++ = Palette[EscapeIndex(cx, cy)] - 0x01000000u;
        }
    }
}
