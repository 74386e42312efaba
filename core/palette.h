// The colour table every pixel takes its colour from: three phase-shifted
// sine waves, one per channel, built once at start-up.
#pragma once

#include <cstdint>

constexpr std::int32_t kPaletteSize = 0x8000;

// An index into Palette, always 0 ... kPaletteSize - 1.
using PaletteIndex = std::int32_t;

// Entries are 0x00RRGGBB; the top byte stays zero so the renderer can add alpha.
extern std::uint32_t Palette[kPaletteSize];

// Subtracting this from an entry wraps its zero top byte to an alpha of 0xFF.
constexpr std::uint32_t kOpaqueWrap = 0x01000000u;

void BuildPalette();

// The opaque 0xAARRGGBB pixel of an entry.
inline std::uint32_t OpaquePixel(PaletteIndex index) {
    return Palette[index] - kOpaqueWrap;
}
