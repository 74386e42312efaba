// Escape-time iteration of z <- z^2 + c from z = 0, turned into a palette index.
#pragma once

#include "core/palette.h"

constexpr std::int32_t kMaxIterations = 255;

// Escaped points are banded by pass count (128 entries a pass); points still
// bounded after kMaxIterations passes are coloured by the squared magnitude
// the last escape test examined. Every input, NaN and infinity included,
// gives an index in 0 ... kPaletteSize - 1.
PaletteIndex EscapeIndex(double cx, double cy);

// The inside colour for the squared magnitude y2 + x2 of the last test.
PaletteIndex InsideIndex(double magnitudeSquared);
