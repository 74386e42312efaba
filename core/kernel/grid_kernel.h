// The vector kernel, written once for every instruction set. Each kernel file
// includes this after its Isa (primitives only) and stamps it out with a Shape
// (how many vectors run side by side, how long a block is, when lanes are
// collected, how many queued colours a block writes among its passes); it is
// compiled in that instruction set's region (see isa_region.h).
//
// Every lane runs the literal pass of EscapeIndex and counts its own passes
// in its tag. Passes run in blocks of Shape::kBlockPasses, which divides the
// pass limit, so a lane refilled at a block's end reaches the limit exactly at
// one. A lane that escapes, reaches the limit or is caught in a cycle stops
// counting, its tag now the entry its colour is written from, and waits, its
// z running on unused, until lanes are collected: once Shape::kLanesToCollect
// lanes of all the vectors are finished. Then every vector's finished lanes
// are queued and refilled at once, without a branch per vector. A block end
// only counts the running lanes; the limit is looked for only at the block
// end where the oldest running lane can first reach it.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>

#include "core/escape.h"
#include "core/kernel/chunk_tally.h"
#include "core/kernel/colour_queue.h"
#include "core/kernel/cycle_policy.h"
#include "core/kernel/escape_pass.h"
#include "core/kernel/isa_region.h"
#include "core/kernel/kernel_run.h"
#include "core/kernel/lane_bits.h"
#include "core/kernel/lane_limit.h"
#include "core/kernel/lane_refill.h"
#include "core/kernel/lanes.h"
#include "core/kernel/orbit_cycles.h"
#include "core/kernel/point_grid.h"
#include "core/kernel/point_stage.h"
#include "core/kernel/repeat.h"
#include "core/kernel/stage_fill.h"

KERNEL_BEGIN

static_assert(kChunkPoints > 0, "chunks must hand out points");

// The running lanes of every vector as one set of bits, vector v's from bit
// v * kLanes: a block end only counts them.
template <class Isa, int kVectors>
KERNEL_INLINE std::uint64_t RunningBits(const Lanes<Isa, kVectors>& lanes) {
    static_assert(kVectors * Isa::kLanes <= 64, "the lanes must fit one word");
    std::uint64_t bits = 0;
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        bits = bits | (std::uint64_t{Isa::Bits(lanes.running[v])} << (v * Isa::kLanes));
    });
    return bits;
}

// Runs one block, writing Shape::kColoursPerBlock queued colours after its
// first pass; checkCycles says whether cycles are looked for at its end.
template <class Isa, class Shape>
KERNEL_INLINE void RunBlock(Lanes<Isa, Shape::kVectors>& lanes,
                            KernelRun<Shape::kVectors * Isa::kLanes>& run, typename Isa::Vec bound,
                            bool checkCycles, std::uint32_t* out) {
    constexpr int kVectors = Shape::kVectors;
    constexpr int kBlockPasses = Shape::kBlockPasses;
    static_assert(kBlockPasses >= 3, "a block keeps the iterate of two passes before its end");
    if constexpr (Shape::kColoursPerBlock > 0) {
        RunLanePasses(lanes, 1, bound);
        WriteSomeColours<Shape::kColoursPerBlock>(run.colours, out);
        RunLanePasses(lanes, kBlockPasses - 3, bound);
    } else {
        RunLanePasses(lanes, kBlockPasses - 2, bound);
    }
    if (checkCycles) {
        KeepRecentIterates(lanes, run.orbits);
    }
    RunLanePasses(lanes, 1, bound);
    // The squares are kept from the last pass only: the colour of a lane at
    // the limit needs them, and keeping them every pass costs registers.
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        lanes.magnitude[v] = RunPass<Isa>(lanes.zx[v], lanes.zy[v], lanes.cx[v], lanes.cy[v],
                                          lanes.tag[v], lanes.running[v], bound);
    });
}

// Looks for cycles if asked, then for lanes at the limit where one may be.
template <class Isa, int kVectors>
KERNEL_INLINE void EndBlock(Lanes<Isa, kVectors>& lanes, KernelRun<kVectors * Isa::kLanes>& run,
                            bool checkCycles) {
    bool limitDue = IsLimitCheckDue(run.clock);
    if (checkCycles) {
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            unsigned shortCycled =
                LanesBackAt<Isa, kVectors, v>(lanes, run.orbits.recentX, run.orbits.recentY);
            unsigned cycled =
                LanesBackAt<Isa, kVectors, v>(lanes, run.orbits.px, run.orbits.py) | shortCycled;
            if (cycled != 0) {
                FinishCycledLanes<Isa, kVectors, v>(lanes, run.orbits, run.tally, cycled,
                                                    shortCycled);
                limitDue = true;
            }
        });
    }
    if (limitDue) {
        FinishLanesAtLimit(lanes, run.clock, run.tally);
    }
}

// Queues the finished lanes' entries and refills them and the idle lanes;
// returns how many lanes hold a point afterwards.
template <class Isa, class Shape, bool kCheckCycles>
int CollectLanes(Lanes<Isa, Shape::kVectors>& lanes, KernelRun<Shape::kVectors * Isa::kLanes>& run,
                 const PointGrid& grid, std::uint32_t* out) {
    constexpr int kVectors = Shape::kVectors;
    constexpr int kLaneCount = kVectors * Isa::kLanes;
    assert(run.colours.queued < kQueuePoints);
    if (run.stage.end - run.stage.pos < kLaneCount && !IsGridUsedUp(run.cursor)) {
        FillStage<Isa, kVectors, Shape::kSievePasses>(run, grid, out);
    }
    // The positions are kept in registers here: through memory each vector's
    // refill would wait for the one before it to store them.
    int stagePos = run.stage.pos;
    int queued = run.colours.queued;
    int finished = 0;
    int busyLanes = 0;
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        // A finished lane's tag is its entry.
        unsigned done = lanes.busy[v] & ~Isa::Bits(lanes.running[v]);
        QueueEntries<Isa>(run.colours, queued, done, lanes.tag[v]);
        unsigned idle = ~lanes.busy[v] & AllLanes(Isa::kLanes);
        RefillVector<Isa, kVectors, v, kCheckCycles>(lanes, run.stage, run.orbits, done | idle,
                                                     stagePos);
        lanes.inside[v] = 0;
        finished = finished + CountLanes(done);
        busyLanes = busyLanes + CountLanes(lanes.busy[v]);
    });
    CountFinished(run.tally, finished);
    AdvanceStage(run.stage, stagePos);
    CommitQueued(run.colours, queued);
    // So the next collection starts with fewer than kQueuePoints.
    WriteFullBatch(run.colours, out);
    return busyLanes;
}

// Runs blocks until the grid cursor passes chunkEnd (then the lanes are saved
// in run and it returns true) or every point is coloured (false).
template <class Isa, class Shape, bool kCheckCycles>
bool RunPasses(KernelRun<Shape::kVectors * Isa::kLanes>& run, const PointGrid& grid,
               std::uint32_t* out, std::size_t chunkEnd) {
    constexpr int kVectors = Shape::kVectors;
    static_assert(kMaxIterations % Shape::kBlockPasses == 0, "blocks must divide the limit");
    static_assert(kCheckpointInterval % Shape::kBlockPasses == 0,
                  "checkpoints must move at block ends");
    // More would never be reached, and finished lanes would wait for ever.
    static_assert(Shape::kLanesToCollect >= 1 && Shape::kLanesToCollect <= kVectors * Isa::kLanes,
                  "the lanes must be able to finish enough of them");
    Lanes<Isa, kVectors> lanes;
    LoadLanes<Isa, kVectors>(lanes, run.lanes);
    const typename Isa::Vec bound = Isa::Set1(kEscapeBound);
    // On entry idle lanes are filled as if they had just finished.
    bool collect = true;
    CheckLimitNext(run.clock);
    // Lanes are collected once no more than this many are running.
    int runningLimit = 0;
    for (;;) {
        if (collect) {
            int busyLanes = CollectLanes<Isa, Shape, kCheckCycles>(lanes, run, grid, out);
            if (busyLanes == 0 || run.cursor.nextPoint >= chunkEnd) {
                WriteQueuedColours(run.colours, out);
                SaveLanes<Isa, kVectors>(lanes, run.lanes);
                return busyLanes != 0;
            }
            // Once the grid is used up any finished lane will do, so the
            // last points are not kept waiting.
            bool draining = IsGridUsedUp(run.cursor) && run.stage.pos >= run.stage.end;
            runningLimit = busyLanes - (draining ? 1 : Shape::kLanesToCollect);
        }
        if constexpr (kCheckCycles) {
            MoveCheckpointsWhenDue(lanes, run.orbits, run.clock.now);
        }
        // Cycles are looked for only in the block that ends where the
        // checkpoints move: more often the checks cost more than they catch.
        bool checkNow = kCheckCycles && run.clock.now + Shape::kBlockPasses >= run.orbits.nextMove;
        RunBlock<Isa, Shape>(lanes, run, bound, checkNow, out);
        CountBlock(run.clock, Shape::kBlockPasses);
        EndBlock(lanes, run, checkNow);
        collect = CountLanes(RunningBits(lanes)) <= runningLimit;
    }
}

// Colours the whole grid: chunk by chunk, with the cycle check switched on
// and off by the cycle policy.
template <class Isa, class Shape>
void RenderGridWith(const PointGrid& grid, std::uint32_t* out) {
    constexpr int kLaneCount = Shape::kVectors * Isa::kLanes;
    if (!IsGridFinite(grid)) {
        RenderGridScalar(grid, out);
        return;
    }
    KernelRun<kLaneCount> run;
    StartKernelRun(run, grid);

    bool checkCycles = DecideCycleChecks(run.tally);
    bool more = true;
    while (more) {
        std::size_t chunkEnd = run.cursor.nextPoint + kChunkPoints;
        more = checkCycles ? RunPasses<Isa, Shape, true>(run, grid, out, chunkEnd)
                           : RunPasses<Isa, Shape, false>(run, grid, out, chunkEnd);
        bool checkNext = DecideCycleChecks(run.tally);
        StartTally(run.tally);
        if (checkNext && !checkCycles) {
            ForgetCheckpoints(run.orbits, run.clock.now);
        }
        checkCycles = checkNext;
    }
}

KERNEL_END
