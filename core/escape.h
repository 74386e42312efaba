// Escape-time iteration of z <- z^2 + c from z = 0, turned into a palette index.
#pragma once

#include "core/palette.h"

constexpr std::int32_t kMaxIterations = 255;
// A pass continues while the squared magnitude of the iterate is below this.
constexpr double kEscapeBound = 4.0;
// Escaped points are banded: this many palette entries per pass.
constexpr std::int32_t kBandWidth = 128;
// Points still bounded after kMaxIterations passes are coloured by the squared
// magnitude the last test examined, this many entries per unit.
constexpr double kInsideScale = 33424.0;

// Every input, NaN and infinity included, gives an index in
// 0 ... kPaletteSize - 1.
PaletteIndex EscapeIndex(double cx, double cy);

// The number of passes EscapeIndex runs for c: 2 ... kMaxIterations.
std::int32_t EscapePasses(double cx, double cy);

// The inside colour for the squared magnitude y2 + x2 of the last test.
PaletteIndex InsideIndex(double magnitudeSquared);
