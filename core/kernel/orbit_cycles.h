// The exact cycle shortcut. A lane whose iterate is back exactly where it was
// `period` passes earlier repeats from there on and never escapes: its state
// after any whole number of periods more is the state it has now. With a
// period of two its last pass would test one of its last two iterates, so it
// finishes at once; otherwise its count jumps ahead by as many periods as fit
// below the pass limit, and it runs the last few passes like any other lane,
// reaching the limit with the literal squares. Checkpoints are compared at
// block ends only, so the period is a multiple of the block length and the
// jump keeps the lane's count aligned to the blocks.
#pragma once

#include <cstdint>
#include <limits>

#include "core/kernel/chunk_tally.h"
#include "core/kernel/cycle_policy.h"
#include "core/kernel/isa_region.h"
#include "core/kernel/lane_bits.h"
#include "core/kernel/lane_tag.h"
#include "core/kernel/lanes.h"
#include "core/kernel/repeat.h"

KERNEL_BEGIN

// Most settled orbits have period 1 or 2. Those are caught at the first check
// after they settle, from the iterate two passes earlier, and finish there.
// Longer cycles are caught against checkpoints.
//
// Orbit checkpoints move this often, a whole number of blocks, and lanes are
// compared with them only at the block end just before they move: checking
// every block end cost more than the earlier catches saved. So the periods
// caught are those that divide the interval (1, 3, 5, 9, 15, 45) and 2.
constexpr std::int64_t kCheckpointInterval = 45;

// The fewest passes a caught lane must skip for the catch to count. (At 160,
// views mostly inside the set but near its edge, where most orbits settle
// late, turned the checks off and ran 20% more passes.)
constexpr std::int64_t kWorthwhileJump = 60;

// A checkpoint no orbit can match: NaN compares unequal to everything. A
// constant, so that nothing is called for it.
constexpr double kNoCheckpoint = std::numeric_limits<double>::quiet_NaN();

// Where the lanes' orbits were: the checkpoints, moved every
// kCheckpointInterval passes, and the iterates two passes before the end of
// the block that checks them.
template <int kLaneCount>
struct OrbitCheckpoints {
    double px[kLaneCount];
    double py[kLaneCount];
    std::int64_t tag[kLaneCount];  // the lane's tag when px, py were taken
    double recentX[kLaneCount];
    double recentY[kLaneCount];
    // The pass clock at which the checkpoints move next.
    std::int64_t nextMove;
};

// Drops every checkpoint: those left from an earlier stretch may belong to
// other points. They move next at clock.
template <int kLaneCount>
void ForgetCheckpoints(OrbitCheckpoints<kLaneCount>& orbits, std::int64_t clock) {
    for (int lane = 0; lane < kLaneCount; ++lane) {
        orbits.px[lane] = kNoCheckpoint;
        orbits.py[lane] = kNoCheckpoint;
    }
    orbits.nextMove = clock;
}

template <int kLaneCount>
void StartCheckpoints(OrbitCheckpoints<kLaneCount>& orbits) {
    ForgetCheckpoints(orbits, 0);
    for (int lane = 0; lane < kLaneCount; ++lane) {
        orbits.tag[lane] = 0;
        orbits.recentX[lane] = kNoCheckpoint;
        orbits.recentY[lane] = kNoCheckpoint;
    }
}

// Running lanes of vector v whose iterate equals the one kept in xs, ys.
template <class Isa, int kVectors, int v>
KERNEL_INLINE unsigned LanesBackAt(const Lanes<Isa, kVectors>& lanes, const double* xs,
                                   const double* ys) {
    constexpr int base = v * Isa::kLanes;
    return Isa::EqualBits(lanes.zx[v], Isa::Load(xs + base), lanes.zy[v], Isa::Load(ys + base)) &
           Isa::Bits(lanes.running[v]);
}

// Keeps every lane's iterate in xs, ys.
template <class Isa, int kVectors>
KERNEL_INLINE void KeepIterates(const Lanes<Isa, kVectors>& lanes, double* xs, double* ys) {
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        Isa::Store(xs + v * Isa::kLanes, lanes.zx[v]);
        Isa::Store(ys + v * Isa::kLanes, lanes.zy[v]);
    });
}

template <class Isa, int kVectors>
KERNEL_INLINE void KeepRecentIterates(const Lanes<Isa, kVectors>& lanes,
                                      OrbitCheckpoints<kVectors * Isa::kLanes>& orbits) {
    KeepIterates(lanes, orbits.recentX, orbits.recentY);
}

// Moves the checkpoints to every lane's iterate if they are due at clock.
template <class Isa, int kVectors>
KERNEL_INLINE void MoveCheckpointsWhenDue(const Lanes<Isa, kVectors>& lanes,
                                          OrbitCheckpoints<kVectors * Isa::kLanes>& orbits,
                                          std::int64_t clock) {
    if (clock >= orbits.nextMove) {
        KeepIterates(lanes, orbits.px, orbits.py);
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            Isa::StoreInts(orbits.tag + v * Isa::kLanes, lanes.tag[v]);
        });
        orbits.nextMove = clock + kCheckpointInterval;
    }
}

// Refilled lanes of vector v start their orbits: z0 = 0 is a point of the
// orbit like any other, taken with the lanes' new tags.
template <class Isa, int v, int kLaneCount>
KERNEL_INLINE void RestartCheckpoints(OrbitCheckpoints<kLaneCount>& orbits, unsigned refill,
                                      typename Isa::Ints tags) {
    constexpr int base = v * Isa::kLanes;
    Isa::Store(orbits.px + base, Isa::ClearLanes(Isa::Load(orbits.px + base), refill));
    Isa::Store(orbits.py + base, Isa::ClearLanes(Isa::Load(orbits.py + base), refill));
    typename Isa::Ints kept = Isa::LoadInts(orbits.tag + base);
    Isa::StoreInts(orbits.tag + base, Isa::BlendInts(refill, kept, tags));
}

// Whole numbers 0 ... 2^52 as doubles and back, exactly (see kWholeBias).
template <class Isa>
KERNEL_INLINE typename Isa::Vec WholeToDouble(typename Isa::Ints n) {
    const typename Isa::Vec bias = Isa::Set1(kWholeBias);
    return Isa::Sub(Isa::AsVec(Isa::OrInts(n, Isa::AsInts(bias))), bias);
}

template <class Isa>
KERNEL_INLINE typename Isa::Ints DoubleToWhole(typename Isa::Vec d) {
    const typename Isa::Vec bias = Isa::Set1(kWholeBias);
    return Isa::SubInts(Isa::AsInts(Isa::Add(d, bias)), Isa::AsInts(bias));
}

// Finishes vector v's cycled lanes. A lane back where it was two passes ago
// alternates between its last two iterates from there on, so the last pass
// would test the squares of one of them: it takes its inside entry now. A
// lane back at its checkpoint moves its count on by as many whole periods as
// fit below the limit and runs the last few passes; its checkpoint is dropped
// until the next move, so it is not caught again. The other lanes' values
// are meaningless and unused.
template <class Isa, int kVectors, int v>
KERNEL_INLINE void FinishCycledLanes(Lanes<Isa, kVectors>& lanes,
                                     OrbitCheckpoints<kVectors * Isa::kLanes>& orbits,
                                     CycleTally& tally, unsigned cycled, unsigned shortCycled) {
    using Vec = typename Isa::Vec;
    using Ints = typename Isa::Ints;
    constexpr int base = v * Isa::kLanes;
    // A running lane's tag is not negative, so its count is the top bits.
    Ints passes = Isa::ShiftRightInts(lanes.tag[v], kPassShift);
    Ints left = Isa::SubInts(Isa::Set1Ints(kMaxIterations), passes);
    // The last pass tests the iterate after 254 passes: the one now if the
    // count is even, else the one the block's last pass tested.
    unsigned odd = Isa::SignBits(Isa::ShiftLeftInts(lanes.tag[v], 63 - kPassShift));
    Vec now = Isa::Add(Isa::Mul(lanes.zy[v], lanes.zy[v]), Isa::Mul(lanes.zx[v], lanes.zx[v]));
    Vec last = Isa::AsVec(Isa::BlendInts(odd, Isa::AsInts(now), Isa::AsInts(lanes.magnitude[v])));
    unsigned jumped = cycled & ~shortCycled;
    Ints checkpoint = Isa::ShiftRightInts(Isa::LoadInts(orbits.tag + base), kPassShift);
    Vec period = WholeToDouble<Isa>(Isa::SubInts(passes, checkpoint));
    // The counts are small whole numbers: the quotient's floor is exact.
    Vec periods = Isa::Floor(Isa::Div(WholeToDouble<Isa>(left), period));
    Ints jump = DoubleToWhole<Isa>(Isa::Mul(periods, period));
    // Late catches save too little to pay for the check: the cycle policy
    // only counts those that skip a good part of the passes.
    Ints skipped = Isa::BlendInts(shortCycled, jump, left);
    unsigned worthwhile = Isa::AboveBits(skipped, Isa::Set1Ints(kWorthwhileJump - 1)) & cycled;
    CountCaught(tally, CountLanes(worthwhile));
    lanes.tag[v] = Isa::BlendInts(jumped, lanes.tag[v],
                                  Isa::AddInts(lanes.tag[v], Isa::ShiftLeftInts(jump, kPassShift)));
    FinishInside<Isa, kVectors, v>(lanes, tally, shortCycled, last);
    Ints dropped = Isa::BlendInts(jumped, Isa::AsInts(Isa::Load(orbits.px + base)),
                                  Isa::AsInts(Isa::Set1(kNoCheckpoint)));
    Isa::Store(orbits.px + base, Isa::AsVec(dropped));
}

KERNEL_END
