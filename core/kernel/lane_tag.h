// How a lane's point is tagged. Every point in the kernels carries one 64-bit
// tag: the index of its pixel in the output in the low bits and its pass count
// from bit 55 up. Counting a pass is then one integer add of kPassUnit, and a
// finished point's tag is already the entry its colour is written from: read
// from bit 48, a count of n is the band index 128 n.
#pragma once

#include <cstdint>

#include "core/escape.h"

constexpr int kIndexShift = 48;
constexpr std::int64_t kTargetMask = (std::int64_t{1} << kIndexShift) - 1;
constexpr int kPassShift = 55;
constexpr std::int64_t kPassUnit = std::int64_t{1} << kPassShift;
// 2^52: a double of this size has any whole number 0 ... 2^52 exactly in the
// bits below its exponent, so adding and taking it away converts counts and
// rounds to whole numbers.
constexpr double kWholeBias = 4503599627370496.0;
// A lane without a point; negative, so it is never at the pass limit.
constexpr std::int64_t kIdleTag = -1;

static_assert((kPassUnit >> kIndexShift) == kBandWidth, "a pass count must read as its band");
static_assert(kMaxIterations < 256, "the count must fit below the sign bit");
static_assert((std::int64_t{kPaletteSize - 1} << kIndexShift) > 0, "indices must fit");
