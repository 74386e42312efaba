// The colour table every pixel takes its colour from: three phase-shifted
// sine waves, one per channel, built once at start-up.
#pragma once

#include <cstdint>

constexpr std::int32_t kPaletteSize = 0x8000;

// An index into Palette, always 0 ... kPaletteSize - 1.
using PaletteIndex = std::int32_t;

// Entries are 0x00RRGGBB; the top byte stays zero so the renderer can add alpha.
extern std::uint32_t Palette[kPaletteSize];

void BuildPalette();
