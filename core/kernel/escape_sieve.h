// The early-escape sieve. Many points of a wide view escape within a few
// passes, and sitting in the refilling kernel costs them more than that: the
// sieve runs kSievePasses passes of a batch of newly staged points side by
// side, without refills, and colours the ones that escape. The rest stay
// staged, in order, and start again from z = 0 in the kernel.
#pragma once

#include <cassert>

#include "core/kernel/chunk_tally.h"
#include "core/kernel/colour_queue.h"
#include "core/kernel/cycle_policy.h"
#include "core/kernel/isa_region.h"
#include "core/kernel/lane_bits.h"
#include "core/kernel/lane_tag.h"
#include "core/kernel/lanes.h"
#include "core/kernel/point_stage.h"
#include "core/kernel/repeat.h"

KERNEL_BEGIN

// The most stage fills the sieve may rest.
constexpr int kLongestSieveRest = 64;

// Fills of the stage left to take without the sieve, and how many to skip
// the next time it finds too little.
struct SieveRest {
    int skip;
    int backoff;
};

inline void StartSieve(SieveRest& rest) {
    rest.skip = 0;
    rest.backoff = 1;
}

// Whether the sieve sits this fill out; counts the fill if so.
inline bool SieveRests(SieveRest& rest) {
    if (rest.skip > 0) {
        rest.skip = rest.skip - 1;
        return true;
    }
    return false;
}

// Sieves the staged points from first to end; returns the new end. The queue
// must have room for a batch: it holds at most kQueuePoints entries.
template <class Isa, int kVectors, int kSievePasses>
int SieveStage(PointStage<kVectors * Isa::kLanes>& stage,
               ColourQueue<kVectors * Isa::kLanes>& colours, SieveRest& rest, CycleTally& tally,
               int first, int end) {
    constexpr int kLanes = Isa::kLanes;
    assert(colours.queued <= kQueuePoints && first >= 0 && end <= kStagePoints);
    const typename Isa::Vec bound = Isa::Set1(kEscapeBound);
    int kept = first;
    // The queue's length in a register, as in the kernel's collections.
    int queued = colours.queued;
    for (int start = first; start < end; start += kVectors * kLanes) {
        // The batch's lanes; busy marks the ones holding a point of the batch.
        Lanes<Isa, kVectors> lanes;
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            int base = start + v * kLanes;
            int count = end - base;
            count = count < 0 ? 0 : (count > kLanes ? kLanes : count);
            // Past end the stage holds idle or stale points; their lanes are off.
            lanes.busy[v] = (1u << count) - 1;
            lanes.cx[v] = Isa::Load(stage.cx + base);
            lanes.cy[v] = Isa::Load(stage.cy + base);
            lanes.tag[v] = Isa::LoadInts(stage.tag + base);
            lanes.zx[v] = Isa::Set1(0.0);
            lanes.zy[v] = Isa::Set1(0.0);
            lanes.running[v] = Isa::Lanes(lanes.busy[v]);
        });
        RunLanePasses(lanes, kSievePasses, bound);
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            unsigned stay = Isa::Bits(lanes.running[v]) & lanes.busy[v];
            unsigned gone = lanes.busy[v] & ~stay;
            // An escaped point's tag holds its pass count: it is its entry.
            QueueEntries<Isa>(colours, queued, gone, lanes.tag[v]);
            kept = KeepStaged<Isa>(stage, kept, stay, lanes.cx[v], lanes.cy[v],
                                   Isa::AndInts(lanes.tag[v], Isa::Set1Ints(kTargetMask)));
        });
    }
    int escaped = queued - colours.queued;
    CommitQueued(colours, queued);
    CountFinished(tally, escaped);
    // The sieve pays while most points escape in it; otherwise it rests for a
    // growing number of fills.
    if (escaped * 2 < end - first) {
        rest.skip = rest.backoff;
        rest.backoff = rest.backoff * 2 < kLongestSieveRest ? rest.backoff * 2 : kLongestSieveRest;
    } else {
        rest.backoff = 1;
    }
    return kept;
}

KERNEL_END
