// Topping the stage up from the grid, passing new points through the sieve
// while it pays.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/kernel/colour_queue.h"
#include "core/kernel/escape_sieve.h"
#include "core/kernel/isa_region.h"
#include "core/kernel/kernel_run.h"
#include "core/kernel/point_grid.h"
#include "core/kernel/point_stage.h"

KERNEL_BEGIN

// Tops the stage up so that a refill of every lane is ready while the grid
// has points. The sieve gets a queue with at most kQueuePoints entries.
template <class Isa, int kVectors, int kSievePasses>
void FillStage(KernelRun<kVectors * Isa::kLanes>& run, const PointGrid& grid, std::uint32_t* out) {
    constexpr int kLaneCount = kVectors * Isa::kLanes;
    int end = KeepWaitingPoints(run.stage);
    while (end < kLaneCount) {
        int first = end;
        std::size_t firstPoint = run.cursor.nextPoint;
        end = TakeGridPoints<Isa>(run.stage, run.cursor, grid, end);
        PrefetchPixels(out, firstPoint, run.cursor.nextPoint);
        if (first == end || kSievePasses == 0 || SieveRests(run.sieve)) {
            break;
        }
        if (run.colours.queued > kQueuePoints) {
            WriteQueuedColours(run.colours, out);
        }
        end = SieveStage<Isa, kVectors, kSievePasses>(run.stage, run.colours, run.sieve, run.tally,
                                                      first, end);
    }
    // While the grid has points the stage holds enough for every lane, so
    // refills only run past its end once the grid is used up.
    FinishFill(run.stage, end, IsGridUsedUp(run.cursor));
}

KERNEL_END
