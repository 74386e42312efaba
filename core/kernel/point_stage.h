// The stage: grid points queued in row order for the lanes, each with its
// tag (pass count zero). Past its end it holds idle points (c = 0, no pixel),
// so a refill may always take whole vectors.
#pragma once

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

#include <cstddef>
#include <cstdint>

#include "core/kernel/colour_queue.h"
#include "core/kernel/escape_sieve.h"
#include "core/kernel/kernel_run.h"

namespace {

// Queues the next grid points at stage[end...], up to kStagePoints, a row run
// at a time, whole vectors at once. Returns the new end.
template <class Isa, int kLaneCount>
int TakeGridPoints(KernelRun<kLaneCount>& run, const PointGrid& grid, int end) {
    constexpr int kLanes = Isa::kLanes;
    while (end < kStagePoints && run.nextPoint < run.pointCount) {
        std::size_t count = grid.columns - run.column;
        std::size_t room = static_cast<std::size_t>(kStagePoints - end);
        count = count < room ? count : room;
        const double* xs = grid.cx + run.column;
        double y = grid.cy[run.row];
        std::int64_t first = static_cast<std::int64_t>(run.nextPoint);
        std::size_t i = 0;
        for (; i + kLanes <= count; i += kLanes) {
            Isa::Store(run.stageCx + end + i, Isa::Load(xs + i));
            Isa::Store(run.stageCy + end + i, Isa::Set1(y));
            Isa::StoreInts(run.stageTag + end + i,
                           Isa::Sequence(first + static_cast<std::int64_t>(i)));
        }
        for (; i < count; ++i) {
            run.stageCx[end + i] = xs[i];
            run.stageCy[end + i] = y;
            run.stageTag[end + i] = first + static_cast<std::int64_t>(i);
        }
        end = end + static_cast<int>(count);
        run.nextPoint = run.nextPoint + count;
        run.column = run.column + count;
        if (run.column == grid.columns) {
            run.column = 0;
            run.row = run.row + 1;
        }
    }
    return end;
}

// Asks for the pixels of the points just staged, so that their colours,
// written some passes later, do not wait for memory.
inline void PrefetchPixels(const std::uint32_t* out, std::size_t first, std::size_t end) {
#if defined(__x86_64__) || defined(_M_X64)
    constexpr std::size_t kPixelsPerLine = 64 / sizeof(std::uint32_t);
    for (std::size_t p = first; p < end; p += kPixelsPerLine) {
        _mm_prefetch(reinterpret_cast<const char*>(out + p), _MM_HINT_T0);
    }
#else
    // WebAssembly has no prefetch.
    static_cast<void>(out);
    static_cast<void>(first);
    static_cast<void>(end);
#endif
}

// Tops the stage up so that a refill of every lane is ready while the grid
// has points, passing new points through the sieve while it pays.
template <class Isa, int kVectors, int kSievePasses>
void FillStage(KernelRun<kVectors * Isa::kLanes>& run, const PointGrid& grid, std::uint32_t* out) {
    constexpr int kLaneCount = kVectors * Isa::kLanes;
    int kept = run.stageEnd > run.stagePos ? run.stageEnd - run.stagePos : 0;
    for (int i = 0; i < kept; ++i) {
        run.stageCx[i] = run.stageCx[run.stagePos + i];
        run.stageCy[i] = run.stageCy[run.stagePos + i];
        run.stageTag[i] = run.stageTag[run.stagePos + i];
    }
    int end = kept;
    while (end < kLaneCount) {
        int first = end;
        std::size_t firstPoint = run.nextPoint;
        end = TakeGridPoints<Isa>(run, grid, end);
        PrefetchPixels(out, firstPoint, run.nextPoint);
        if (first == end || kSievePasses == 0) {
            break;
        }
        if (run.sieveSkip > 0) {
            run.sieveSkip = run.sieveSkip - 1;
            break;
        }
        if (run.queued > kQueuePoints) {
            WriteQueuedColours(run, out);
        }
        end = SieveStage<Isa, kVectors, kSievePasses>(run, first, end);
    }
    // While the grid has points the stage holds enough for every lane, so
    // refills only run past its end once the grid is used up.
    if (run.nextPoint >= run.pointCount) {
        for (int i = end; i < end + 2 * kLaneCount; ++i) {
            run.stageCx[i] = 0.0;
            run.stageCy[i] = 0.0;
            run.stageTag[i] = kIdleTag;
        }
    }
    run.stagePos = 0;
    run.stageEnd = end;
}

}  // namespace
