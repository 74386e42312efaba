// Finished points' colour entries wait in a queue and are written in batches:
// cheaper than writing each lane's pixel where it finishes.
#pragma once

#include <cstdint>

#include "core/kernel/kernel_run.h"
#include "core/kernel/lane_tag.h"
#include "core/palette.h"

namespace {

template <int kLaneCount>
void WriteQueuedColours(KernelRun<kLaneCount>& run, std::uint32_t* out) {
    for (int i = 0; i < run.queued; ++i) {
        std::int64_t entry = run.queue[i];
        out[entry & kTargetMask] = OpaquePixel(static_cast<PaletteIndex>(entry >> kIndexShift));
    }
    run.queued = 0;
}

// Queues the entries of the chosen lanes; all Isa::kLanes slots are written.
template <class Isa, int kLaneCount>
KERNEL_INLINE void QueueEntries(KernelRun<kLaneCount>& run, unsigned lanes,
                                typename Isa::Ints entries) {
    Isa::CompressIntsTo(run.queue + run.queued, lanes, entries);
    run.queued = run.queued + CountLanes(lanes);
}

}  // namespace
