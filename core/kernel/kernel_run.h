// The state of one render between the kernel's calls, in pieces each kept by
// the header that changes it: what the lanes hold (lanes.h), where their
// orbits were (orbit_cycles.h), the stage of points waiting for a lane and
// the grid cursor (point_stage.h), the sieve's rest (escape_sieve.h), the
// queue of finished points' colours (colour_queue.h), the pass clock
// (lane_limit.h) and the chunk's tally (chunk_tally.h). Plain arrays, so it
// may live on any stack whatever the vector alignment.
#pragma once

#include <cstddef>

#include "core/kernel/chunk_tally.h"
#include "core/kernel/colour_queue.h"
#include "core/kernel/cycle_policy.h"
#include "core/kernel/escape_sieve.h"
#include "core/kernel/isa_region.h"
#include "core/kernel/lane_limit.h"
#include "core/kernel/lanes.h"
#include "core/kernel/orbit_cycles.h"
#include "core/kernel/point_grid.h"
#include "core/kernel/point_stage.h"

KERNEL_BEGIN

// The cycle-check decision is revisited after this many points.
constexpr std::size_t kChunkPoints = 2048;

template <int kLaneCount>
struct KernelRun {
    SavedLanes<kLaneCount> lanes;
    OrbitCheckpoints<kLaneCount> orbits;
    PointStage<kLaneCount> stage;
    GridCursor cursor;
    SieveRest sieve;
    ColourQueue<kLaneCount> colours;
    PassClock clock;
    CycleTally tally;
};

// Every lane idle, nothing staged or queued, the cursor at the grid's start.
template <int kLaneCount>
void StartKernelRun(KernelRun<kLaneCount>& run, const PointGrid& grid) {
    StartSavedLanes(run.lanes);
    StartCheckpoints(run.orbits);
    StartStage(run.stage);
    StartCursor(run.cursor, grid);
    StartSieve(run.sieve);
    StartColourQueue(run.colours);
    StartPassClock(run.clock);
    StartTally(run.tally);
}

KERNEL_END
