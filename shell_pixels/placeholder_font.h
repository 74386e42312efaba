// The placeholder shown while a paint renders, for shells that draw text
// themselves: a small built-in font of just its letters, 5 x 9 cells (two
// rows of ascender, five of x-height, two of descender) with a blank column
// after each, drawn at twice the size.
#pragma once

#include <cstdint>

#include "core/rect.h"
#include "shell_pixels/pixel_surface.h"
#include "shell_pixels/text_picture.h"

constexpr char kPlaceholderText[] = "mandelbrot program";
constexpr char kPlaceholderGlyphLetters[] = "mandelbrotpg";
constexpr char kPlaceholderGlyphStrip[] = R"(
..... ..... ..... ....# ..... .##.. #.... ..... ..... ..... ..... .....
..... ..... ..... ....# ..... ..#.. #.... ..... ..... .#... ..... .....
##.#. .###. #.##. .#### .###. ..#.. ####. #.##. .###. ####. ####. .####
#.#.# ....# ##..# #...# #...# ..#.. #...# ##..# #...# .#... #...# #...#
#.#.# .#### #...# #...# ##### ..#.. #...# #.... #...# .#... #...# #...#
#.#.# #...# #...# #...# #.... ..#.. #...# #.... #...# .#..# #...# #...#
#.#.# .#### #...# .#### .###. .###. ####. #.... .###. ..##. ####. .####
..... ..... ..... ..... ..... ..... ..... ..... ..... ..... #.... ....#
..... ..... ..... ..... ..... ..... ..... ..... ..... ..... #.... .###.
)";
constexpr std::int32_t kPlaceholderGlyphHeight = 9;
constexpr std::int32_t kPlaceholderGlyphScale = 2;
constexpr std::int32_t kPlaceholderGlyphAdvance = (5 + 1) * kPlaceholderGlyphScale;

// Calls plot(p) for each text pixel of the placeholder centred in a client of
// the given size, like a single-line, centred text, clipped to area. Each
// pixel of a letter in the strip is put wherever the text has that letter.
template <typename Plot>
void DrawPlaceholderText(std::int32_t clientWidth, std::int32_t clientHeight, const Rect& area,
                         Plot plot) {
    const auto length = static_cast<std::int32_t>(sizeof(kPlaceholderText) - 1);
    const std::int32_t left = (clientWidth - length * kPlaceholderGlyphAdvance) / 2;
    const std::int32_t top = (clientHeight - kPlaceholderGlyphHeight * kPlaceholderGlyphScale) / 2;
    DecodeTextPicture(
        kPlaceholderGlyphStrip, kPlaceholderGlyphScale, [&](int x, int y, char /*cell*/) {
            const char letter = kPlaceholderGlyphLetters[x / kPlaceholderGlyphAdvance];
            for (std::int32_t i = 0; i < length; ++i) {
                const Point p{left + i * kPlaceholderGlyphAdvance + x % kPlaceholderGlyphAdvance,
                              top + y};
                if (kPlaceholderText[i] == letter && IsPointInRect(area, p)) {
                    plot(p);
                }
            }
        });
}

// What a paint shows of area while it renders, on a surface of width x
// height pixels: the erase to white, and the part of the centred placeholder
// that falls in area, in black.
inline void PaintPlaceholder(std::uint32_t* pixels, std::int32_t width, std::int32_t height,
                             const Rect& area) {
    FillSurfaceArea(pixels, width, area, kSurfaceWhite);
    DrawPlaceholderText(width, height, area, [&](Point p) {
        pixels[static_cast<std::size_t>(p.y) * width + p.x] = kSurfaceBlack;
    });
}
