// The state of one render between the kernel's calls: what the lanes hold,
// the stage of points waiting for a lane, the queue of finished points'
// colours, and where in the grid the next point comes from. Plain arrays, so
// it may live on any stack whatever the vector alignment.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/kernel/cycle_policy.h"
#include "core/kernel/point_grid.h"

namespace {

// Points taken from the grid at a time into the stage.
constexpr int kStagePoints = 256;
// Finished points are written out in batches of about this many.
constexpr int kQueuePoints = 256;
// The cycle-check decision is revisited after this many points.
constexpr std::size_t kChunkPoints = 2048;

template <int kLaneCount>
struct KernelRun {
    // The lanes, saved while the kernel is between calls.
    double zx[kLaneCount];
    double zy[kLaneCount];
    double cx[kLaneCount];
    double cy[kLaneCount];
    double px[kLaneCount];  // orbit checkpoints
    double py[kLaneCount];
    double recentX[kLaneCount];  // z two passes before the end of the block
    double recentY[kLaneCount];
    std::int64_t tag[kLaneCount];
    std::int64_t checkpointTag[kLaneCount];  // the tag when px, py were taken
    // Points waiting for a lane, then idle ones for two refills of every lane.
    double stageCx[kStagePoints + 2 * kLaneCount];
    double stageCy[kStagePoints + 2 * kLaneCount];
    std::int64_t stageTag[kStagePoints + 2 * kLaneCount];
    int stagePos;
    int stageEnd;
    // Fills of the stage left to take without the early-escape sieve, and
    // how many to skip the next time the sieve finds too little.
    int sieveSkip;
    int sieveBackoff;
    // Colour entries of finished points, not yet written.
    std::int64_t queue[kQueuePoints + kStagePoints + 2 * kLaneCount];
    int queued;
    int written;  // entries at the start of the queue already written
    // The grid cursor: points handed out so far and the next one's place.
    std::size_t nextPoint;
    std::size_t column;
    std::size_t row;
    std::size_t pointCount;
    // Passes run so far, for moving the orbit checkpoints.
    std::int64_t clock;
    std::int64_t nextCheckpoint;
    // No lane can be at the pass limit before this clock.
    std::int64_t nextLimitCheck;
    CycleTally tally;
};

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

// Set bits: lanes of a vector, or of all vectors side by side.
inline int CountLanes(std::uint64_t bits) {
#if defined(_MSC_VER) && !defined(__clang__)
    bits = bits - ((bits >> 1) & 0x5555555555555555u);
    bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((bits * 0x0101010101010101u) >> 56);
#else
    return __builtin_popcountll(bits);
#endif
}

}  // namespace
