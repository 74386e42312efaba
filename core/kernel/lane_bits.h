// Lanes as bits: lane i of a vector is bit i, and the lanes of all vectors
// side by side are one word, vector v's from bit v * lanes.
#pragma once

#include <cstdint>

#include "core/kernel/isa_region.h"

KERNEL_BEGIN

constexpr unsigned AllLanes(int lanes) {
    return (1u << lanes) - 1;
}

// Set bits: lanes of a vector, or of all vectors side by side.
KERNEL_INLINE int CountLanes(std::uint64_t bits) {
#if defined(_MSC_VER) && !defined(__clang__)
    bits = bits - ((bits >> 1) & 0x5555555555555555u);
    bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((bits * 0x0101010101010101u) >> 56);
#else
    return __builtin_popcountll(bits);
#endif
}

KERNEL_END
