// The stage: grid points queued in row order for the lanes, each with its
// tag (pass count zero), taken from the grid a row run at a time. Past its
// end it holds idle points (c = 0, no pixel), so a refill may always take
// whole vectors.
#pragma once

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

#include <cassert>
#include <cstddef>
#include <cstdint>

#include "core/kernel/isa_region.h"
#include "core/kernel/lane_bits.h"
#include "core/kernel/lane_tag.h"
#include "core/kernel/point_grid.h"

KERNEL_BEGIN

// Points taken from the grid at a time into the stage.
constexpr int kStagePoints = 256;

// Points waiting for a lane from pos to end, then idle ones: after a fill
// enough for two refills of every lane, so refills and the sieve may read
// whole vectors past the end.
template <int kLaneCount>
struct PointStage {
    static constexpr int kCapacity = kStagePoints + 2 * kLaneCount;
    double cx[kCapacity];
    double cy[kCapacity];
    std::int64_t tag[kCapacity];
    int pos;
    int end;
};

// Points handed out so far and the next one's place in the grid.
struct GridCursor {
    std::size_t nextPoint;
    std::size_t column;
    std::size_t row;
    std::size_t pointCount;
};

inline void StartCursor(GridCursor& cursor, const PointGrid& grid) {
    cursor.nextPoint = 0;
    cursor.column = 0;
    cursor.row = 0;
    cursor.pointCount = grid.columns * grid.rows;
}

inline bool IsGridUsedUp(const GridCursor& cursor) {
    return cursor.nextPoint >= cursor.pointCount;
}

inline bool IsFinite(double v) {
    return v - v == 0.0;
}

// Whether every c of the grid is finite. Others are never produced by a sane
// view; a grid with any goes through EscapeIndex instead, so the vector lanes
// only ever see finite values.
inline bool IsGridFinite(const PointGrid& grid) {
    for (std::size_t i = 0; i < grid.columns; ++i) {
        if (!IsFinite(grid.cx[i])) {
            return false;
        }
    }
    for (std::size_t i = 0; i < grid.rows; ++i) {
        if (!IsFinite(grid.cy[i])) {
            return false;
        }
    }
    return true;
}

// Moves the points not yet taken to the front; returns how many there are.
template <int kLaneCount>
int KeepWaitingPoints(PointStage<kLaneCount>& stage) {
    int kept = stage.end > stage.pos ? stage.end - stage.pos : 0;
    for (int i = 0; i < kept; ++i) {
        stage.cx[i] = stage.cx[stage.pos + i];
        stage.cy[i] = stage.cy[stage.pos + i];
        stage.tag[i] = stage.tag[stage.pos + i];
    }
    return kept;
}

// Queues the next grid points at stage[end...], up to kStagePoints, a row run
// at a time, whole vectors at once. Returns the new end.
template <class Isa, int kLaneCount>
int TakeGridPoints(PointStage<kLaneCount>& stage, GridCursor& cursor, const PointGrid& grid,
                   int end) {
    constexpr int kLanes = Isa::kLanes;
    while (end < kStagePoints && cursor.nextPoint < cursor.pointCount) {
        std::size_t count = grid.columns - cursor.column;
        std::size_t room = static_cast<std::size_t>(kStagePoints - end);
        count = count < room ? count : room;
        const double* xs = grid.cx + cursor.column;
        double y = grid.cy[cursor.row];
        std::int64_t first = static_cast<std::int64_t>(cursor.nextPoint);
        std::size_t i = 0;
        for (; i + kLanes <= count; i += kLanes) {
            Isa::Store(stage.cx + end + i, Isa::Load(xs + i));
            Isa::Store(stage.cy + end + i, Isa::Set1(y));
            Isa::StoreInts(stage.tag + end + i,
                           Isa::Sequence(first + static_cast<std::int64_t>(i)));
        }
        for (; i < count; ++i) {
            stage.cx[end + i] = xs[i];
            stage.cy[end + i] = y;
            stage.tag[end + i] = first + static_cast<std::int64_t>(i);
        }
        end = end + static_cast<int>(count);
        cursor.nextPoint = cursor.nextPoint + count;
        cursor.column = cursor.column + count;
        if (cursor.column == grid.columns) {
            cursor.column = 0;
            cursor.row = cursor.row + 1;
        }
    }
    assert(end <= kStagePoints);
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

// Keeps the chosen lanes' points at stage[kept...], in order; all Isa::kLanes
// slots are written. Returns the new count kept.
template <class Isa, int kLaneCount>
KERNEL_INLINE int KeepStaged(PointStage<kLaneCount>& stage, int kept, unsigned lanes,
                             typename Isa::Vec cx, typename Isa::Vec cy, typename Isa::Ints tag) {
    assert(kept >= 0 && kept + Isa::kLanes <= PointStage<kLaneCount>::kCapacity);
    Isa::CompressTo(stage.cx + kept, lanes, cx);
    Isa::CompressTo(stage.cy + kept, lanes, cy);
    Isa::CompressIntsTo(stage.tag + kept, lanes, tag);
    return kept + CountLanes(lanes);
}

// Ends a fill at end. Once the grid is used up, the points past the end are
// made idle for two refills of every lane.
template <int kLaneCount>
void FinishFill(PointStage<kLaneCount>& stage, int end, bool gridUsedUp) {
    assert(end >= 0 && end <= kStagePoints);
    if (gridUsedUp) {
        for (int i = end; i < end + 2 * kLaneCount; ++i) {
            stage.cx[i] = 0.0;
            stage.cy[i] = 0.0;
            stage.tag[i] = kIdleTag;
        }
    }
    stage.pos = 0;
    stage.end = end;
}

// An empty stage, idle points only: so even a grid without points leaves the
// lanes idle.
template <int kLaneCount>
void StartStage(PointStage<kLaneCount>& stage) {
    FinishFill(stage, 0, true);
}

// Moves the stage on to pos, where the last refill stopped; refills that ran
// into the idle points past the end stop at the end.
template <int kLaneCount>
KERNEL_INLINE void AdvanceStage(PointStage<kLaneCount>& stage, int pos) {
    assert(pos >= stage.pos && pos <= stage.end + kLaneCount);
    stage.pos = pos < stage.end ? pos : stage.end;
}

KERNEL_END
