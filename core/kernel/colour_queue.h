// Finished points' colour entries wait in a queue and are written in batches:
// cheaper than writing each lane's pixel where it finishes.
#pragma once

#include <cstdint>

#include "core/kernel/kernel_run.h"
#include "core/kernel/lane_tag.h"
#include "core/palette.h"

namespace {

KERNEL_INLINE void WriteColour(std::uint32_t* out, std::int64_t entry) {
    out[entry & kTargetMask] = OpaquePixel(static_cast<PaletteIndex>(entry >> kIndexShift));
}

template <int kLaneCount>
void WriteQueuedColours(KernelRun<kLaneCount>& run, std::uint32_t* out) {
    // Read once: as far as the compiler knows the pixel stores could change
    // the count, which would then be reloaded after every one.
    const int queued = run.queued;
    const std::int64_t* queue = run.queue;
    for (int i = run.written; i < queued; ++i) {
        WriteColour(out, queue[i]);
    }
    run.queued = 0;
    run.written = 0;
}

// Writes a few queued colours, if there are that many, in among the passes of
// a block: there the stores and loads use ports the passes leave idle, while a
// long batch of them would hold the passes up.
template <int kCount, int kLaneCount>
KERNEL_INLINE void WriteSomeColours(KernelRun<kLaneCount>& run, std::uint32_t* out) {
    const int written = run.written;
    if (run.queued - written >= kCount) {
        const std::int64_t* queue = run.queue + written;
        for (int i = 0; i < kCount; ++i) {
            WriteColour(out, queue[i]);
        }
        run.written = written + kCount;
    }
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
