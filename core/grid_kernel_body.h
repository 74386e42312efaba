// The vector escape iteration shared by the SSE2, AVX2 and AVX-512 kernels.
// Each kernel file defines its instruction set as a struct of inline wrappers
// and includes this file once; everything here has internal linkage, so code
// compiled for one instruction set can never be picked by the linker for
// another. Include nothing here whose inline functions do real work.
//
// Every lane runs the literal pass of EscapeIndex (same operations, same
// order, no fused multiply-add) and counts its own passes. A lane that
// escapes stops counting; finished lanes are collected after each short block
// of passes and refilled with the next points, so no lane waits long for the
// others. Several vectors are iterated side by side because one pass is a
// chain of dependent operations; interleaving them keeps the units busy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

#include "core/cycle_policy.h"
#include "core/escape.h"
#include "core/palette.h"
#include "core/point_grid.h"

namespace {

constexpr std::int64_t kPassLimit = kMaxIterations;
// Orbit checkpoints are refreshed this often, so cycles up to this long are
// caught once the orbit has settled.
constexpr std::int64_t kCheckpointInterval = 32;
// Points queued at a time for refilling whole vectors at once.
constexpr int kStagePoints = 256;
// Finished points are written out in batches of about this many.
constexpr int kPendingPoints = 256;
// The most stage fills the early-escape sieve may rest (see SieveStage).
constexpr int kLongestSieveRest = 64;
// The cycle-check decision is revisited after this many points.
constexpr std::size_t kChunkPoints = 2048;
constexpr std::int64_t kBandWidth = 128;        // palette entries per pass, as in EscapeIndex
constexpr std::uint32_t kOpaque = 0x01000000u;  // subtracting it wraps alpha to 0xFF

inline bool IsFinite(double v) {
    return v - v == 0.0;
}

// The lowest set bit of a non-zero lane mask.
inline int LowestLane(unsigned bits) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index;
    _BitScanForward(&index, bits);
    return static_cast<int>(index);
#else
    return __builtin_ctz(bits);
#endif
}

// Set bits of a lane mask of at most 8 lanes, without a branch. The AVX2 and
// AVX-512 kernels are built for CPUs that all have POPCNT.
inline int CountLanes(unsigned bits) {
#if defined(__POPCNT__)
    return __builtin_popcount(bits);
#elif defined(_MSC_VER) && !defined(__clang__) && defined(__AVX2__)
    return static_cast<int>(__popcnt(bits));
#else
    bits = bits - ((bits >> 1) & 0x55u);
    bits = (bits & 0x33u) + ((bits >> 2) & 0x33u);
    return static_cast<int>((bits + (bits >> 4)) & 0x0Fu);
#endif
}

// A checkpoint no orbit can match: NaN compares unequal to everything.
inline double NoCheckpoint() {
    std::uint64_t bits = 0x7FF8000000000000u;
    double nan;
    std::memcpy(&nan, &bits, sizeof nan);
    return nan;
}

template <int kFirst, int kCount, class Body>
inline void RepeatFrom(Body& body) {
    if constexpr (kFirst < kCount) {
        body(std::integral_constant<int, kFirst>{});
        RepeatFrom<kFirst + 1, kCount>(body);
    }
}

// Calls body(integral_constant<int, v>) for v = 0 ... kCount - 1, so arrays of
// vectors are indexed with constants and can live in registers.
template <int kCount, class Body>
inline void Repeat(Body&& body) {
    RepeatFrom<0, kCount>(body);
}

// The kernel between chunks: lane contents in plain arrays (no alignment
// needed, so it may live on any stack), lane bookkeeping, and the queue.
template <int kLaneCount>
struct GridRun {
    double zx[kLaneCount];
    double zy[kLaneCount];
    double cx[kLaneCount];
    double cy[kLaneCount];
    double passes[kLaneCount];  // passes done, as EscapeIndex counts n
    double px[kLaneCount];      // orbit checkpoint; NaN when there is none
    double py[kLaneCount];
    double checkpointPasses[kLaneCount];  // the lane's pass count when px, py were taken
    std::int64_t target[kLaneCount];      // index into out, or -1 for an idle lane
    // Points queued for refills in bulk, then kLaneCount idle entries.
    double stageCx[kStagePoints + kLaneCount];
    double stageCy[kStagePoints + kLaneCount];
    std::int64_t stageTarget[kStagePoints + kLaneCount];
    int stagePos;
    int stageEnd;
    // Fills of the stage left to take without the early-escape sieve, and
    // how many to skip the next time the sieve finds too little.
    int sieveSkip;
    int sieveBackoff;
    // Finished points not yet written: their targets and palette indices.
    std::int64_t pendingTarget[kPendingPoints + kLaneCount];
    std::int64_t pendingIndex[kPendingPoints + kLaneCount];
    int pendingCount;
    std::int64_t clock;
    std::int64_t nextCheckpoint;
    std::size_t nextPoint;
    std::size_t column;
    std::size_t row;
    std::size_t pointCount;
    CycleTally tally;
};

// Moves the queue past count points of the current row.
template <int kLaneCount>
inline void SkipPoints(GridRun<kLaneCount>& run, const PointGrid& grid, std::size_t count) {
    run.nextPoint = run.nextPoint + count;
    run.column = run.column + count;
    if (run.column == grid.columns) {
        run.column = 0;
        run.row = run.row + 1;
    }
}

// Hands out the next grid point.
template <int kLaneCount>
inline bool TakePoint(GridRun<kLaneCount>& run, const PointGrid& grid, double* cx, double* cy,
                      std::int64_t* target) {
    if (run.nextPoint >= run.pointCount) {
        return false;
    }
    *cx = grid.cx[run.column];
    *cy = grid.cy[run.row];
    *target = static_cast<std::int64_t>(run.nextPoint);
    SkipPoints(run, grid, 1);
    return true;
}

// Queues the next grid points at stage[end...], up to kStagePoints, a row run
// at a time, whole vectors at once. Returns the new end.
template <class Isa, int kLaneCount>
inline int TakePoints(GridRun<kLaneCount>& run, const PointGrid& grid, int end) {
    constexpr int kLanes = Isa::kLanes;
    while (end < kStagePoints && run.nextPoint < run.pointCount) {
        std::size_t count = grid.columns - run.column;
        std::size_t room = static_cast<std::size_t>(kStagePoints - end);
        count = count < room ? count : room;
        const double* xs = grid.cx + run.column;
        typename Isa::Vec y = Isa::Set1(grid.cy[run.row]);
        std::int64_t first = static_cast<std::int64_t>(run.nextPoint);
        std::size_t i = 0;
        for (; i + kLanes <= count; i += kLanes) {
            Isa::Store(run.stageCx + end + i, Isa::Load(xs + i));
            Isa::Store(run.stageCy + end + i, y);
            Isa::StoreSequence(run.stageTarget + end + i, first + static_cast<std::int64_t>(i));
        }
        for (; i < count; ++i) {
            run.stageCx[end + i] = xs[i];
            run.stageCy[end + i] = grid.cy[run.row];
            run.stageTarget[end + i] = first + static_cast<std::int64_t>(i);
        }
        end = end + static_cast<int>(count);
        SkipPoints(run, grid, count);
    }
    return end;
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

// One literal pass of EscapeIndex on a vector: the squares of the iterate
// before its update, the update, then the count and escape test of the lanes
// still running. Returns the squared magnitude the test looked at.
template <class Isa>
inline typename Isa::Vec IteratePass(typename Isa::Vec& zx, typename Isa::Vec& zy,
                                     typename Isa::Vec cx, typename Isa::Vec cy,
                                     typename Isa::Vec& passes, typename Isa::Mask& active,
                                     typename Isa::Vec bound) {
    typename Isa::Vec x2 = Isa::Mul(zx, zx);
    typename Isa::Vec y2 = Isa::Mul(zy, zy);
    zy = Isa::Add(Isa::Mul(zy, Isa::Add(zx, zx)), cy);
    zx = Isa::Add(Isa::Sub(x2, y2), cx);
    typename Isa::Vec sum = Isa::Add(y2, x2);
    passes = Isa::Increment(passes, active);
    active = Isa::KeepBelow(active, sum, bound);
    return sum;
}

// Runs the first Isa::kSievePasses passes of the staged points from first to end
// side by side, without refills, and colours the ones that escape there; the
// rest stay staged, in order, and start again from z = 0 in the kernel.
// Returns the new end of the stage. Many points of a wide view escape within
// a few passes, and sitting in the refilling kernel costs them more.
template <class Isa, int kVectors>
int SieveStage(GridRun<kVectors * Isa::kLanes>& run, std::uint32_t* out, int first, int end) {
    using Vec = typename Isa::Vec;
    using Mask = typename Isa::Mask;
    constexpr int kLanes = Isa::kLanes;
    constexpr int kLaneCount = kVectors * kLanes;
    const Vec bound = Isa::Set1(4.0);
    int kept = first;
    int escapedCount = 0;
    for (int start = first; start < end; start += kLaneCount) {
        Vec zx[kVectors];
        Vec zy[kVectors];
        Vec cx[kVectors];
        Vec cy[kVectors];
        Vec passes[kVectors];
        Mask active[kVectors];
        unsigned valid[kVectors];
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            int base = start + v * kLanes;
            int count = end - base;
            count = count < 0 ? 0 : (count > kLanes ? kLanes : count);
            valid[v] = (1u << count) - 1;
            // Past end the stage holds idle entries (c = 0) or stale ones;
            // their lanes are masked off.
            cx[v] = Isa::Load(run.stageCx + base);
            cy[v] = Isa::Load(run.stageCy + base);
            zx[v] = Isa::Set1(0.0);
            zy[v] = Isa::Set1(0.0);
            passes[v] = Isa::Set1(0.0);
            active[v] = Isa::MaskFromBits(valid[v]);
        });
        for (int step = 0; step < Isa::kSievePasses; ++step) {
            Repeat<kVectors>([&](auto vi) {
                constexpr int v = decltype(vi)::value;
                IteratePass<Isa>(zx[v], zy[v], cx[v], cy[v], passes[v], active[v], bound);
            });
        }
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            int base = start + v * kLanes;
            unsigned running = Isa::Bits(active[v]) & valid[v];
            double counts[kLanes];
            Isa::Store(counts, passes[v]);
            for (int i = 0; i < kLanes; ++i) {
                if ((valid[v] >> i & 1u) == 0) {
                    break;
                }
                if ((running >> i & 1u) != 0) {
                    run.stageCx[kept] = run.stageCx[base + i];
                    run.stageCy[kept] = run.stageCy[base + i];
                    run.stageTarget[kept] = run.stageTarget[base + i];
                    kept = kept + 1;
                } else {
                    std::int64_t n = static_cast<std::int64_t>(counts[i]);
                    out[run.stageTarget[base + i]] =
                        Palette[static_cast<PaletteIndex>(kBandWidth * n)] - kOpaque;
                    escapedCount = escapedCount + 1;
                }
            }
        });
    }
    run.tally.finished = run.tally.finished + static_cast<std::uint64_t>(escapedCount);
    // The sieve pays while most points escape in it; otherwise it rests for a
    // growing number of fills.
    if (escapedCount * 2 < end - first) {
        run.sieveSkip = run.sieveBackoff;
        run.sieveBackoff =
            run.sieveBackoff * 2 < kLongestSieveRest ? run.sieveBackoff * 2 : kLongestSieveRest;
    } else {
        run.sieveBackoff = 1;
    }
    return kept;
}

// Tops the stage up so that at least a refill of every lane is ready; past
// the real points it holds idle ones (c = 0, no target).
template <class Isa, int kVectors>
inline void FillStage(GridRun<kVectors * Isa::kLanes>& run, const PointGrid& grid,
                      std::uint32_t* out) {
    constexpr int kLaneCount = kVectors * Isa::kLanes;
    int kept = run.stageEnd - run.stagePos;
    for (int i = 0; i < kept; ++i) {
        run.stageCx[i] = run.stageCx[run.stagePos + i];
        run.stageCy[i] = run.stageCy[run.stagePos + i];
        run.stageTarget[i] = run.stageTarget[run.stagePos + i];
    }
    int end = kept;
    for (;;) {
        int first = end;
        end = TakePoints<Isa>(run, grid, end);
        if (first == end) {
            break;
        }
        if (Isa::kSievePasses == 0) {
            break;
        }
        if (run.sieveSkip > 0) {
            run.sieveSkip = run.sieveSkip - 1;
            break;
        }
        end = SieveStage<Isa, kVectors>(run, out, first, end);
        if (end >= kLaneCount) {
            break;
        }
    }
    for (int i = end; i < end + kLaneCount; ++i) {
        run.stageCx[i] = 0.0;
        run.stageCy[i] = 0.0;
        run.stageTarget[i] = -1;
    }
    run.stagePos = 0;
    run.stageEnd = end;
}

// Writes the colours of the finished points queued so far.
template <int kLaneCount>
inline void WritePending(GridRun<kLaneCount>& run, std::uint32_t* out) {
    for (int i = 0; i < run.pendingCount; ++i) {
        out[run.pendingTarget[i]] = Palette[run.pendingIndex[i]] - kOpaque;
    }
    run.pendingCount = 0;
}

// Runs blocks of passes until the queue has handed out chunkEnd points (or is
// empty) and every lane is idle. Returns whether any lane is still busy.
//
// Within a block a lane that escapes stops counting passes (its z runs on,
// unused), so finished lanes are collected once a block instead of after
// every pass: far fewer interruptions for a few idle lane-passes. A block
// never runs a lane past the pass limit.
template <class Isa, int kVectors, bool kCheckCycles>
bool RunPasses(GridRun<kVectors * Isa::kLanes>& run, const PointGrid& grid, std::uint32_t* out,
               std::size_t chunkEnd) {
    using Vec = typename Isa::Vec;
    using Mask = typename Isa::Mask;
    constexpr int kLanes = Isa::kLanes;
    constexpr int kLaneCount = kVectors * kLanes;
    constexpr unsigned kAllLanes = (1u << kLanes) - 1;
    constexpr int kLanesToCollect = Isa::kLanesToCollect;
    constexpr std::int64_t kBlockPasses =
        kCheckCycles ? Isa::kCheckingBlockPasses : Isa::kBlockPasses;

    Vec zx[kVectors];
    Vec zy[kVectors];
    Vec cx[kVectors];
    Vec cy[kVectors];
    Vec passes[kVectors];
    Vec px[kVectors];
    Vec py[kVectors];
    Vec sum[kVectors];
    Mask active[kVectors];
    unsigned busy[kVectors];
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        zx[v] = Isa::Load(run.zx + v * kLanes);
        zy[v] = Isa::Load(run.zy + v * kLanes);
        cx[v] = Isa::Load(run.cx + v * kLanes);
        cy[v] = Isa::Load(run.cy + v * kLanes);
        passes[v] = Isa::Load(run.passes + v * kLanes);
        if constexpr (kCheckCycles) {
            px[v] = Isa::Load(run.px + v * kLanes);
            py[v] = Isa::Load(run.py + v * kLanes);
        }
        sum[v] = Isa::Set1(0.0);
        busy[v] = 0;
        for (int i = 0; i < kLanes; ++i) {
            busy[v] |= static_cast<unsigned>(run.target[v * kLanes + i] >= 0) << i;
        }
        active[v] = Isa::MaskFromBits(busy[v]);
    });
    const Vec bound = Isa::Set1(4.0);
    const Vec limit = Isa::Set1(static_cast<double>(kPassLimit));

    std::int64_t clock = run.clock;
    // Idle lanes are filled on entry, as if they had just finished.
    bool fillIdle = true;
    std::int64_t mostPasses = kPassLimit;  // unknown yet: measured after the fill
    for (;;) {
        // Checkpoints move between blocks, whether or not lanes were
        // collected after the last one. Idle lanes never take part in the
        // comparison, so their checkpoints are moot.
        if (kCheckCycles && clock >= run.nextCheckpoint) {
            Repeat<kVectors>([&](auto vi) {
                constexpr int v = decltype(vi)::value;
                px[v] = zx[v];
                py[v] = zy[v];
                Isa::Store(run.checkpointPasses + v * kLanes, passes[v]);
            });
            run.nextCheckpoint = clock + kCheckpointInterval;
        }
        if (!fillIdle) {
            std::int64_t steps = kPassLimit - mostPasses;
            steps = steps < kBlockPasses ? steps : kBlockPasses;
            for (std::int64_t step = 0; step < steps; ++step) {
                Repeat<kVectors>([&](auto vi) {
                    constexpr int v = decltype(vi)::value;
                    sum[v] =
                        IteratePass<Isa>(zx[v], zy[v], cx[v], cy[v], passes[v], active[v], bound);
                });
            }
            clock = clock + steps;
            mostPasses = mostPasses + steps;
            bool event = mostPasses >= kPassLimit;
            // Lanes are collected once one vector has enough finished ones.
            // At the end of the chunk or of the queue any finished lane will
            // do, so the call returns promptly.
            int worthCollecting = run.nextPoint < chunkEnd && (run.nextPoint < run.pointCount ||
                                                               run.stagePos < run.stageEnd)
                                      ? kLanesToCollect
                                      : 1;
            Repeat<kVectors>([&](auto vi) {
                constexpr int v = decltype(vi)::value;
                unsigned running = Isa::Bits(active[v]);
                unsigned escaped = busy[v] & ~running;
                event = event || CountLanes(escaped) >= worthCollecting ||
                        (escaped != 0 && running == 0);
                if constexpr (kCheckCycles) {
                    event = event || Isa::Bits(Isa::And(
                                         active[v], Isa::SameZ(zx[v], px[v], zy[v], py[v]))) != 0;
                }
            });
            if (!event) {
                continue;
            }
        }

        if constexpr (Isa::kRefillsWholeVectors) {
            if (run.stageEnd - run.stagePos < kLaneCount && run.nextPoint < run.pointCount) {
                FillStage<Isa, kVectors>(run, grid, out);
            }
        }
        bool queueOpen = run.nextPoint < run.pointCount || run.stagePos < run.stageEnd;
        // Lanes that escaped may wait for company while more points remain and
        // this call goes on; the state saved between calls holds none.
        bool mayWait = queueOpen && run.nextPoint < chunkEnd && !fillIdle;
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            constexpr int base = v * kLanes;
            // A lane that has run all passes is inside the set, even if the
            // last one failed the test; escaped lanes are the others that failed.
            unsigned running = Isa::Bits(active[v]);
            unsigned due = busy[v] & Isa::Bits(Isa::AtLeast(passes[v], limit));
            unsigned escaped = busy[v] & ~running & ~due;
            unsigned cycled = 0;
            if constexpr (kCheckCycles) {
                // On entry a checkpoint may have just been taken: z equals it
                // trivially then.
                if (!fillIdle) {
                    cycled =
                        Isa::Bits(Isa::And(active[v], Isa::SameZ(zx[v], px[v], zy[v], py[v]))) &
                        ~due;
                }
            }
            unsigned refill = escaped | due | cycled;
            if (fillIdle && queueOpen) {
                refill |= ~busy[v] & kAllLanes;
            }
            if (refill == 0) {
                return;
            }
            // Where refilling a vector costs more than a few passes of it,
            // escaped lanes sit out blocks until enough have gathered, unless
            // a lane has reached the limit (its squares are needed now).
            if (mayWait && (due | cycled) == 0 && running != 0 &&
                CountLanes(escaped) < Isa::kLanesToRefill) {
                return;
            }
            double sums[kLanes];
            double counts[kLanes];
            if constexpr (Isa::kRefillsWholeVectors) {
                Vec colourPasses = passes[v];
                Vec colourSums = sum[v];
                if (cycled != 0) {
                    // See the scalar version below; here all repeating lanes
                    // run their remaining passes together.
                    colourSums = Isa::LastSquares(cycled, zx[v], zy[v], cx[v], cy[v], passes[v],
                                                  Isa::Load(run.checkpointPasses + base), sum[v]);
                    colourPasses = Isa::Fill(passes[v], cycled, static_cast<double>(kPassLimit));
                    run.tally.caught = run.tally.caught + CountLanes(cycled);
                }
                unsigned finishing = escaped | due | cycled;
                if (finishing != 0) {
                    Isa::QueueColours(run.pendingTarget + run.pendingCount,
                                      run.pendingIndex + run.pendingCount, finishing,
                                      run.target + base, colourPasses, colourSums);
                    run.pendingCount = run.pendingCount + CountLanes(finishing);
                    run.tally.finished = run.tally.finished + CountLanes(finishing);
                    run.tally.inside = run.tally.inside + CountLanes(due | cycled);
                }
            } else {
                Isa::Store(sums, sum[v]);
                Isa::Store(counts, passes[v]);
                for (unsigned bits = escaped | due; bits != 0; bits &= bits - 1) {
                    int i = LowestLane(bits);
                    std::int64_t n = static_cast<std::int64_t>(counts[i]);
                    // A lane only reaches the limit on a block's last pass, so
                    // sums holds that pass's squares.
                    PaletteIndex index = n < kPassLimit ? static_cast<PaletteIndex>(kBandWidth * n)
                                                        : InsideIndex(sums[i]);
                    out[run.target[base + i]] = Palette[index] - kOpaque;
                    run.tally.finished = run.tally.finished + 1;
                    run.tally.inside = run.tally.inside + (n >= kPassLimit);
                }
            }
            if (!Isa::kRefillsWholeVectors && cycled != 0) {
                double x[kLanes];
                double y[kLanes];
                double re[kLanes];
                double im[kLanes];
                Isa::Store(x, zx[v]);
                Isa::Store(y, zy[v]);
                Isa::Store(re, cx[v]);
                Isa::Store(im, cy[v]);
                for (unsigned bits = cycled; bits != 0; bits &= bits - 1) {
                    int i = LowestLane(bits);
                    // z is back at the checkpoint taken `period` passes ago, so
                    // from here on the squares repeat with that period and never
                    // escape: the last pass's squares come a whole number of
                    // periods plus `remaining` passes from now.
                    std::int64_t n = static_cast<std::int64_t>(counts[i]);
                    std::int64_t period =
                        n - static_cast<std::int64_t>(run.checkpointPasses[base + i]);
                    std::int64_t remaining = (kPassLimit - n) % period;
                    double magnitude = sums[i];
                    double zr = x[i];
                    double zi = y[i];
                    for (std::int64_t pass = 0; pass < remaining; ++pass) {
                        double x2 = zr * zr;
                        double y2 = zi * zi;
                        zi = zi * (zr + zr) + im[i];
                        zr = (x2 - y2) + re[i];
                        magnitude = y2 + x2;
                    }
                    out[run.target[base + i]] = Palette[InsideIndex(magnitude)] - kOpaque;
                    run.tally.finished = run.tally.finished + 1;
                    run.tally.inside = run.tally.inside + 1;
                    run.tally.caught = run.tally.caught + 1;
                }
            }
            if constexpr (Isa::kRefillsWholeVectors) {
                cx[v] = Isa::Expand(cx[v], refill, run.stageCx + run.stagePos);
                cy[v] = Isa::Expand(cy[v], refill, run.stageCy + run.stagePos);
                Isa::ExpandTargets(run.target + base, refill, run.stageTarget + run.stagePos);
                // The lowest refilled lanes take the points left; past the end
                // the stage holds idle entries.
                int available = run.stageEnd - run.stagePos;
                unsigned taken = refill;
                if (CountLanes(refill) > available) {
                    taken = 0;
                    for (unsigned bits = refill; available > 0; bits &= bits - 1) {
                        taken |= bits & (0u - bits);
                        available = available - 1;
                    }
                }
                busy[v] = (busy[v] & ~refill) | taken;
                run.stagePos = run.stagePos + CountLanes(taken);
                if constexpr (kCheckCycles) {
                    // z0 = 0 is a point of the orbit like any other.
                    px[v] = Isa::Fill(px[v], refill, 0.0);
                    py[v] = Isa::Fill(py[v], refill, 0.0);
                    Isa::StoreLanes(run.checkpointPasses + base, refill, Isa::Set1(0.0));
                }
            } else {
                for (unsigned bits = refill; bits != 0; bits &= bits - 1) {
                    int i = LowestLane(bits);
                    int lane = base + i;
                    double nextCx = 0.0;
                    double nextCy = 0.0;
                    std::int64_t target = -1;
                    // c = 0 keeps an idle lane at z = 0, far from the bound.
                    bool taken = TakePoint(run, grid, &nextCx, &nextCy, &target);
                    busy[v] = taken ? busy[v] | 1u << i : busy[v] & ~(1u << i);
                    run.target[lane] = target;
                    cx[v] = Isa::InsertLane(cx[v], i, nextCx);
                    cy[v] = Isa::InsertLane(cy[v], i, nextCy);
                    if constexpr (kCheckCycles) {
                        // z0 = 0 is a point of the orbit like any other.
                        px[v] = Isa::InsertLane(px[v], i, 0.0);
                        py[v] = Isa::InsertLane(py[v], i, 0.0);
                        run.checkpointPasses[lane] = 0.0;
                    }
                }
            }
            zx[v] = Isa::ClearLanes(zx[v], refill);
            zy[v] = Isa::ClearLanes(zy[v], refill);
            passes[v] = Isa::ClearLanes(passes[v], refill);
            active[v] = Isa::MaskFromBits(busy[v]);
        });
        fillIdle = false;
        if (run.pendingCount >= kPendingPoints) {
            WritePending(run, out);
        }

        // mostPasses only bounds the busiest lane (refills lower the true
        // maximum); the exact value is needed once the bound hits the limit.
        if (mostPasses >= kPassLimit) {
            Vec most = passes[0];
            Repeat<kVectors>([&](auto vi) {
                constexpr int v = decltype(vi)::value;
                if constexpr (v > 0) {
                    most = Isa::Max(most, passes[v]);
                }
            });
            mostPasses = static_cast<std::int64_t>(Isa::HorizontalMax(most));
        }
        bool anyBusy = false;
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            anyBusy = anyBusy || busy[v] != 0;
        });
        if (!anyBusy || run.nextPoint >= chunkEnd) {
            WritePending(run, out);
            run.clock = clock;
            Repeat<kVectors>([&](auto vi) {
                constexpr int v = decltype(vi)::value;
                Isa::Store(run.zx + v * kLanes, zx[v]);
                Isa::Store(run.zy + v * kLanes, zy[v]);
                Isa::Store(run.cx + v * kLanes, cx[v]);
                Isa::Store(run.cy + v * kLanes, cy[v]);
                Isa::Store(run.passes + v * kLanes, passes[v]);
                if constexpr (kCheckCycles) {
                    Isa::Store(run.px + v * kLanes, px[v]);
                    Isa::Store(run.py + v * kLanes, py[v]);
                }
            });
            return anyBusy;
        }
    }
}

// Colours the whole grid with kVectors vectors of Isa in flight.
template <class Isa, int kVectors>
void RenderGridWith(const PointGrid& grid, std::uint32_t* out) {
    constexpr int kLaneCount = kVectors * Isa::kLanes;
    if (!IsGridFinite(grid)) {
        RenderGridScalar(grid, out);
        return;
    }
    GridRun<kLaneCount> run;
    for (int lane = 0; lane < kLaneCount; ++lane) {
        run.zx[lane] = 0.0;
        run.zy[lane] = 0.0;
        run.cx[lane] = 0.0;
        run.cy[lane] = 0.0;
        run.px[lane] = NoCheckpoint();
        run.py[lane] = NoCheckpoint();
        run.passes[lane] = 0.0;
        run.checkpointPasses[lane] = 0.0;
        run.target[lane] = -1;
    }
    run.clock = 0;
    run.nextCheckpoint = kCheckpointInterval;
    run.nextPoint = 0;
    run.column = 0;
    run.row = 0;
    run.pointCount = grid.columns * grid.rows;
    run.stagePos = 0;
    run.stageEnd = 0;
    run.pendingCount = 0;
    run.sieveSkip = 0;
    run.sieveBackoff = 1;
    run.tally = CycleTally{0, 0, 0};

    bool checkCycles = DecideCycleChecks(run.tally);
    std::size_t chunkEnd = 0;
    bool busy = true;
    while (busy || run.nextPoint < run.pointCount || run.stagePos < run.stageEnd) {
        chunkEnd = run.nextPoint + kChunkPoints;
        if (checkCycles) {
            busy = RunPasses<Isa, kVectors, true>(run, grid, out, chunkEnd);
        } else {
            busy = RunPasses<Isa, kVectors, false>(run, grid, out, chunkEnd);
        }
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
