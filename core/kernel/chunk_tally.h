// The tally of the points finished in the current chunk, which the cycle
// policy reads at the chunk's end. Every count it keeps is added here.
#pragma once

#include <cstdint>

#include "core/kernel/cycle_policy.h"
#include "core/kernel/isa_region.h"

KERNEL_BEGIN

KERNEL_INLINE void StartTally(CycleTally& tally) {
    tally = CycleTally{0, 0, 0};
}

// Points that escaped or finished inside the set, all of them.
KERNEL_INLINE void CountFinished(CycleTally& tally, int points) {
    tally.finished = tally.finished + static_cast<std::uint64_t>(points);
}

// Of those, the points that finished inside the set.
KERNEL_INLINE void CountInside(CycleTally& tally, int points) {
    tally.inside = tally.inside + static_cast<std::uint64_t>(points);
}

// Of those, the points caught repeating early enough to count.
KERNEL_INLINE void CountCaught(CycleTally& tally, int points) {
    tally.caught = tally.caught + static_cast<std::uint64_t>(points);
}

KERNEL_END
