// The exact cycle shortcut. A lane whose iterate is back exactly at the orbit
// checkpoint taken `period` passes earlier repeats from there on and never
// escapes: its state after any whole number of periods more is the state it
// has now. So its count jumps ahead by as many periods as fit below the pass
// limit, and it runs the last few passes like any other lane, reaching the
// limit with the literal squares. Checkpoints are compared at block ends
// only, so the period is a multiple of the block length and the jump keeps
// the lane's count aligned to the blocks.
#pragma once

#include <cstdint>
#include <limits>

#include "core/kernel/lanes.h"

namespace {

// Most settled orbits have period 1 or 2. Those are caught at the first check
// after they settle, from the iterate two passes earlier; the block length is
// odd (it divides 255), so they jump by whole pairs of blocks. Longer cycles
// are caught against checkpoints.
//
// Orbit checkpoints move this often, a whole number of blocks, and lanes are
// compared with them only at the block end just before they move: checking
// every block end cost more than the earlier catches saved. So the periods
// caught are those that divide the interval (1, 3, 5, 9, 15, 45) and 2.
constexpr std::int64_t kCheckpointInterval = 45;

// The fewest passes a caught lane must skip for the catch to count.
constexpr std::int64_t kWorthwhileJump = 160;

// A checkpoint no orbit can match: NaN compares unequal to everything.
constexpr double NoCheckpoint() {
    return std::numeric_limits<double>::quiet_NaN();
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
KERNEL_INLINE void MoveCheckpoints(const Lanes<Isa, kVectors>& lanes,
                                   KernelRun<kVectors * Isa::kLanes>& run) {
    KeepIterates(lanes, run.px, run.py);
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        Isa::StoreInts(run.checkpointTag + v * Isa::kLanes, lanes.tag[v]);
    });
}

// Moves the counts of vector v's cycled lanes on by whole periods; their
// checkpoints are dropped until the next move, so they are not caught again.
template <class Isa, int kVectors, int v, int kBlockPasses>
void JumpCycledLanes(Lanes<Isa, kVectors>& lanes, KernelRun<kVectors * Isa::kLanes>& run,
                     unsigned cycled, unsigned shortCycled) {
    constexpr int kLanes = Isa::kLanes;
    std::int64_t tags[kLanes];
    Isa::StoreInts(tags, lanes.tag[v]);
    for (unsigned bits = cycled; bits != 0; bits &= bits - 1) {
        int i = LowestLane(bits);
        // Small counts: 32-bit division is much cheaper than 64-bit.
        auto passes = static_cast<std::uint32_t>(tags[i] >> kPassShift);
        auto checkpoint =
            static_cast<std::uint32_t>(run.checkpointTag[v * kLanes + i] >> kPassShift);
        std::uint32_t period =
            (shortCycled >> i & 1u) != 0 ? 2 * kBlockPasses : passes - checkpoint;
        std::uint32_t left = static_cast<std::uint32_t>(kMaxIterations) - passes;
        std::int64_t jump = static_cast<std::int64_t>(left - left % period);
        // Late catches save too little to pay for the check: the cycle policy
        // only counts those that skip a good part of the passes.
        run.tally.caught = run.tally.caught + (jump >= kWorthwhileJump);
        // Lane by lane in registers: writing the lanes to memory and
        // reloading the vector would stall on the narrow stores.
        lanes.tag[v] = Isa::AddToLanes(lanes.tag[v], 1u << i, jump * kPassUnit);
        run.px[v * kLanes + i] = NoCheckpoint();
    }
}

}  // namespace
