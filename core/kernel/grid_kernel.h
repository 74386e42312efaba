// The vector kernel, written once for every instruction set. Each kernel file
// includes this with its Isa (primitives only) and a Shape (how many vectors
// run side by side, how long a block is, when lanes are collected, how many
// queued colours a block writes among its passes); all of it
// has internal linkage, so code compiled for one instruction set can never be
// picked by the linker for another.
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

#include <cstddef>
#include <cstdint>

#include "core/kernel/colour_queue.h"
#include "core/kernel/escape_pass.h"
#include "core/kernel/lane_refill.h"
#include "core/kernel/lanes.h"
#include "core/kernel/orbit_cycles.h"
#include "core/kernel/point_stage.h"

namespace {

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
        WriteSomeColours<Shape::kColoursPerBlock>(run, out);
        RunLanePasses(lanes, kBlockPasses - 3, bound);
    } else {
        RunLanePasses(lanes, kBlockPasses - 2, bound);
    }
    if (checkCycles) {
        KeepIterates(lanes, run.recentX, run.recentY);
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

// Finishes the lanes at the pass limit where they stand: each takes its
// inside entry as its tag and stops running, to be collected like an escaped
// lane. Works out the first block end at which another lane can be there:
// counts grow by at most one a pass, so until then no block end needs to look.
template <class Isa, int kVectors>
KERNEL_INLINE void FinishLanesAtLimit(Lanes<Isa, kVectors>& lanes,
                                      KernelRun<kVectors * Isa::kLanes>& run) {
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
            FinishInside<Isa, kVectors, v>(lanes, run.tally, atLimit, lanes.magnitude[v]);
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
    run.nextLimitCheck = run.clock + (kMaxIterations - (most >> kPassShift));
}

// Looks for cycles if asked, then for lanes at the limit where one may be.
template <class Isa, int kVectors>
KERNEL_INLINE void EndBlock(Lanes<Isa, kVectors>& lanes, KernelRun<kVectors * Isa::kLanes>& run,
                            bool checkCycles) {
    bool limitDue = run.clock >= run.nextLimitCheck;
    if (checkCycles) {
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            unsigned shortCycled = LanesBackAt<Isa, kVectors, v>(lanes, run.recentX, run.recentY);
            unsigned cycled = LanesBackAt<Isa, kVectors, v>(lanes, run.px, run.py) | shortCycled;
            if (cycled != 0) {
                FinishCycledLanes<Isa, kVectors, v>(lanes, run, cycled, shortCycled);
                limitDue = true;
            }
        });
    }
    if (limitDue) {
        FinishLanesAtLimit(lanes, run);
    }
}

// Queues the finished lanes' entries and refills them and the idle lanes;
// returns how many lanes hold a point afterwards.
template <class Isa, class Shape, bool kCheckCycles>
int CollectLanes(Lanes<Isa, Shape::kVectors>& lanes, KernelRun<Shape::kVectors * Isa::kLanes>& run,
                 const PointGrid& grid, std::uint32_t* out) {
    constexpr int kVectors = Shape::kVectors;
    constexpr int kLaneCount = kVectors * Isa::kLanes;
    if (run.stageEnd - run.stagePos < kLaneCount && run.nextPoint < run.pointCount) {
        FillStage<Isa, kVectors, Shape::kSievePasses>(run, grid, out);
    }
    // The positions are kept in registers here: through memory each vector's
    // refill would wait for the one before it to store them.
    int stagePos = run.stagePos;
    int queued = run.queued;
    int finished = 0;
    int busyLanes = 0;
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        // A finished lane's tag is its entry.
        unsigned done = lanes.busy[v] & ~Isa::Bits(lanes.running[v]);
        QueueEntries<Isa>(run.queue, queued, done, lanes.tag[v]);
        unsigned idle = ~lanes.busy[v] & AllLanes(Isa::kLanes);
        RefillVector<Isa, kVectors, v, kCheckCycles>(lanes, run, done | idle, stagePos);
        lanes.inside[v] = 0;
        finished = finished + CountLanes(done);
        busyLanes = busyLanes + CountLanes(lanes.busy[v]);
    });
    run.tally.finished = run.tally.finished + static_cast<std::uint64_t>(finished);
    // The last refills may have run into the idle points past the end.
    run.stagePos = stagePos < run.stageEnd ? stagePos : run.stageEnd;
    run.queued = queued;
    if (run.queued >= kQueuePoints) {
        WriteQueuedColours(run, out);
    }
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
    LoadLanes<Isa, kVectors>(lanes, run);
    const typename Isa::Vec bound = Isa::Set1(kEscapeBound);
    // On entry idle lanes are filled as if they had just finished.
    bool collect = true;
    run.nextLimitCheck = run.clock;
    // Lanes are collected once no more than this many are running.
    int runningLimit = 0;
    for (;;) {
        if (collect) {
            int busyLanes = CollectLanes<Isa, Shape, kCheckCycles>(lanes, run, grid, out);
            if (busyLanes == 0 || run.nextPoint >= chunkEnd) {
                WriteQueuedColours(run, out);
                SaveLanes<Isa, kVectors>(lanes, run);
                return busyLanes != 0;
            }
            // Once the grid is used up any finished lane will do, so the
            // last points are not kept waiting.
            bool draining = run.nextPoint >= run.pointCount && run.stagePos >= run.stageEnd;
            runningLimit = busyLanes - (draining ? 1 : Shape::kLanesToCollect);
        }
        if constexpr (kCheckCycles) {
            if (run.clock >= run.nextCheckpoint) {
                MoveCheckpoints(lanes, run);
                run.nextCheckpoint = run.clock + kCheckpointInterval;
            }
        }
        // Cycles are looked for only in the block that ends where the
        // checkpoints move: more often the checks cost more than they catch.
        bool checkNow = kCheckCycles && run.clock + Shape::kBlockPasses >= run.nextCheckpoint;
        RunBlock<Isa, Shape>(lanes, run, bound, checkNow, out);
        run.clock = run.clock + Shape::kBlockPasses;
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
    for (int lane = 0; lane < kLaneCount; ++lane) {
        run.zx[lane] = 0.0;
        run.zy[lane] = 0.0;
        run.cx[lane] = 0.0;
        run.cy[lane] = 0.0;
        run.px[lane] = NoCheckpoint();
        run.py[lane] = NoCheckpoint();
        run.recentX[lane] = NoCheckpoint();
        run.recentY[lane] = NoCheckpoint();
        run.tag[lane] = kIdleTag;
        run.checkpointTag[lane] = 0;
    }
    run.stagePos = 0;
    run.stageEnd = 0;
    run.sieveSkip = 0;
    run.sieveBackoff = 1;
    run.queued = 0;
    run.written = 0;
    run.nextPoint = 0;
    run.column = 0;
    run.row = 0;
    run.pointCount = grid.columns * grid.rows;
    run.clock = 0;
    run.nextCheckpoint = 0;
    run.nextLimitCheck = 0;
    run.tally = CycleTally{0, 0, 0};

    bool checkCycles = DecideCycleChecks(run.tally);
    bool more = true;
    while (more) {
        std::size_t chunkEnd = run.nextPoint + kChunkPoints;
        more = checkCycles ? RunPasses<Isa, Shape, true>(run, grid, out, chunkEnd)
                           : RunPasses<Isa, Shape, false>(run, grid, out, chunkEnd);
        bool checkNext = DecideCycleChecks(run.tally);
        run.tally = CycleTally{0, 0, 0};
        if (checkNext && !checkCycles) {
            // Checkpoints left from an earlier stretch may belong to other points.
            for (int lane = 0; lane < kLaneCount; ++lane) {
                run.px[lane] = NoCheckpoint();
                run.py[lane] = NoCheckpoint();
            }
            run.nextCheckpoint = run.clock;
        }
        checkCycles = checkNext;
    }
}

}  // namespace
