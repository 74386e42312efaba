// Finished points' colour entries wait in a queue and are written in batches:
// cheaper than writing each lane's pixel where it finishes.
//
// How full it can get: a collection starts with fewer than kQueuePoints
// entries (it writes them out when there are more); while it tops the stage
// up, each pass of the sieve starts with at most kQueuePoints and adds at most
// a stage's kStagePoints; the collection itself adds at most one entry a
// lane; and queueing a vector writes all its slots, up to a vector's lanes
// past its entries. So kQueuePoints + kStagePoints + 2 * kLaneCount entries
// always suffice; Debug builds assert every step of it.
#pragma once

#include <cassert>
#include <cstdint>

#include "core/kernel/isa_region.h"
#include "core/kernel/lane_bits.h"
#include "core/kernel/lane_tag.h"
#include "core/kernel/point_stage.h"
#include "core/palette.h"

KERNEL_BEGIN

// Finished points are written out in batches of about this many.
constexpr int kQueuePoints = 256;

template <int kLaneCount>
struct ColourQueue {
    static constexpr int kCapacity = kQueuePoints + kStagePoints + 2 * kLaneCount;
    std::int64_t entries[kCapacity];
    int queued;
    int written;  // entries at the start already written
};

template <int kLaneCount>
void StartColourQueue(ColourQueue<kLaneCount>& colours) {
    colours.queued = 0;
    colours.written = 0;
}

// The pixel of an entry, as OpaquePixel gives it; written out here so that
// the region calls nothing compiled outside it.
KERNEL_INLINE void WriteColour(std::uint32_t* out, std::int64_t entry) {
    out[entry & kTargetMask] = Palette[entry >> kIndexShift] - kOpaqueWrap;
}

template <int kLaneCount>
void WriteQueuedColours(ColourQueue<kLaneCount>& colours, std::uint32_t* out) {
    // Read once: as far as the compiler knows the pixel stores could change
    // the count, which would then be reloaded after every one.
    const int queued = colours.queued;
    const std::int64_t* entries = colours.entries;
    for (int i = colours.written; i < queued; ++i) {
        WriteColour(out, entries[i]);
    }
    colours.queued = 0;
    colours.written = 0;
}

// Writes the queue out if it holds more than a batch.
template <int kLaneCount>
KERNEL_INLINE void WriteFullBatch(ColourQueue<kLaneCount>& colours, std::uint32_t* out) {
    if (colours.queued >= kQueuePoints) {
        WriteQueuedColours(colours, out);
    }
}

// Writes a few queued colours, if there are that many, in among the passes of
// a block: there the stores and loads use ports the passes leave idle, while a
// long batch of them would hold the passes up.
template <int kCount, int kLaneCount>
KERNEL_INLINE void WriteSomeColours(ColourQueue<kLaneCount>& colours, std::uint32_t* out) {
    const int written = colours.written;
    if (colours.queued - written >= kCount) {
        const std::int64_t* entries = colours.entries + written;
        for (int i = 0; i < kCount; ++i) {
            WriteColour(out, entries[i]);
        }
        colours.written = written + kCount;
    }
}

// Queues the entries of the chosen lanes at entries[queued...], all
// Isa::kLanes slots written. The count is the caller's copy, kept in a
// register over a run of queueing and given back with CommitQueued.
template <class Isa, int kLaneCount>
KERNEL_INLINE void QueueEntries(ColourQueue<kLaneCount>& colours, int& queued, unsigned lanes,
                                typename Isa::Ints entries) {
    assert(queued >= 0 && queued + Isa::kLanes <= ColourQueue<kLaneCount>::kCapacity);
    Isa::CompressIntsTo(colours.entries + queued, lanes, entries);
    queued = queued + CountLanes(lanes);
}

template <int kLaneCount>
KERNEL_INLINE void CommitQueued(ColourQueue<kLaneCount>& colours, int queued) {
    assert(queued >= colours.queued && queued <= ColourQueue<kLaneCount>::kCapacity);
    colours.queued = queued;
}

KERNEL_END
