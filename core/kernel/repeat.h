// Compile-time loops for the kernels: arrays of vectors indexed only by
// constants can live in registers.
#pragma once

#include <type_traits>

#include "core/kernel/isa_region.h"

KERNEL_BEGIN

template <int kFirst, int kCount, class Body>
KERNEL_INLINE void RepeatFrom(Body& body) {
    if constexpr (kFirst < kCount) {
        body(std::integral_constant<int, kFirst>{});
        RepeatFrom<kFirst + 1, kCount>(body);
    }
}

// Calls body(integral_constant<int, v>) for v = 0 ... kCount - 1.
template <int kCount, class Body>
KERNEL_INLINE void Repeat(Body&& body) {
    RepeatFrom<0, kCount>(body);
}

KERNEL_END
