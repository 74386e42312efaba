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
    // Read once: as far as the compiler knows the pixel stores could change
    // the count, which would then be reloaded after every one.
    const int queued = run.queued;
    const std::int64_t* queue = run.queue;
    for (int i = 0; i < queued; ++i) {
        std::int64_t entry = queue[i];
        out[entry & kTargetMask] = OpaquePixel(static_cast<PaletteIndex>(entry >> kIndexShift));
    }
    run.queued = 0;
}

// Queues the entries of the chosen lanes at queue[queued...]; all Isa::kLanes
// slots are written.
template <class Isa>
KERNEL_INLINE void QueueEntries(std::int64_t* queue, int& queued, unsigned lanes,
                                typename Isa::Ints entries) {
    Isa::CompressIntsTo(queue + queued, lanes, entries);
    queued = queued + CountLanes(lanes);
}

}  // namespace
