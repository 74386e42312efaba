// The pass limit. Lanes count their own passes; a pass clock counts the
// passes run, and tells when a block end must look for lanes at the limit:
// counts grow by at most one a pass, so until the oldest running lane can
// be there no block end needs to.
#pragma once

#include <cstdint>

#include "core/escape.h"
#include "core/kernel/cycle_policy.h"
#include "core/kernel/isa_region.h"
#include "core/kernel/lane_tag.h"
#include "core/kernel/lanes.h"
#include "core/kernel/repeat.h"

KERNEL_BEGIN

struct PassClock {
    std::int64_t now;  // passes run so far
    // No lane can be at the pass limit before this.
    std::int64_t nextLimitCheck;
};

inline void StartPassClock(PassClock& clock) {
    clock.now = 0;
    clock.nextLimitCheck = 0;
}

// Lanes refilled while the clock stood may be anywhere: the next block end looks.
KERNEL_INLINE void CheckLimitNext(PassClock& clock) {
    clock.nextLimitCheck = clock.now;
}

KERNEL_INLINE void CountBlock(PassClock& clock, int passes) {
    clock.now = clock.now + passes;
}

KERNEL_INLINE bool IsLimitCheckDue(const PassClock& clock) {
    return clock.now >= clock.nextLimitCheck;
}

// Finishes the lanes at the pass limit where they stand: each takes its
// inside entry as its tag and stops running, to be collected like an escaped
// lane. Works out the first block end at which another lane can be there.
template <class Isa, int kVectors>
KERNEL_INLINE void FinishLanesAtLimit(Lanes<Isa, kVectors>& lanes, PassClock& clock,
                                      CycleTally& tally) {
    using Ints = typename Isa::Ints;
    const Ints belowLimit = Isa::Set1Ints(kMaxIterations * kPassUnit - 1);
    const Ints none = Isa::Set1Ints(0);
    Ints latest = none;
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        // A lane that failed the test of the last pass is inside the set too.
        // Lanes already finished inside hold entries that may read as counts
        // past the limit.
        unsigned atLimit = Isa::AboveBits(lanes.tag[v], belowLimit) & ~lanes.inside[v];
        if (atLimit != 0) {
            FinishInside<Isa, kVectors, v>(lanes, tally, atLimit, lanes.magnitude[v]);
        }
        // The largest tag of the lanes running on holds the largest count.
        Ints going = Isa::BlendInts(Isa::Bits(lanes.running[v]), none, lanes.tag[v]);
        latest = Isa::BlendInts(Isa::AboveBits(going, latest), latest, going);
    });
    std::int64_t tags[Isa::kLanes];
    Isa::StoreInts(tags, latest);
    std::int64_t most = 0;
    for (int lane = 0; lane < Isa::kLanes; ++lane) {
        most = tags[lane] > most ? tags[lane] : most;
    }
    clock.nextLimitCheck = clock.now + (kMaxIterations - (most >> kPassShift));
}

KERNEL_END
