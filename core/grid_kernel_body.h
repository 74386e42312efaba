// The vector escape iteration shared by the SSE2, AVX2 and AVX-512 kernels.
// Each kernel file defines its instruction set as a struct of inline wrappers
// and includes this file once; everything here has internal linkage, so code
// compiled for one instruction set can never be picked by the linker for
// another. Include nothing else here that defines inline functions.
//
// Every lane runs the literal pass of EscapeIndex (same operations, same
// order, no fused multiply-add). Lanes do not wait for each other: a lane
// whose point is finished is refilled at once with the next point, so the
// pass count of a lane is the pass clock minus the clock at its refill.
// Several vectors are iterated side by side because one pass is a chain of
// dependent operations; interleaving them keeps the arithmetic units busy.
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
constexpr std::int64_t kCycleStride = 4;  // divides kCheckpointInterval
// The cycle-check decision is revisited after this many points.
constexpr std::size_t kChunkPoints = 2048;
constexpr std::int64_t kFarFuture = std::int64_t{1} << 62;
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
    double px[kLaneCount];  // orbit checkpoint; NaN when there is none
    double py[kLaneCount];
    std::int64_t start[kLaneCount];         // clock at the lane's refill
    std::int64_t checkpointAt[kLaneCount];  // clock when px, py were taken
    std::int64_t target[kLaneCount];        // index into out, or -1 for an idle lane
    std::int64_t clock;
    std::int64_t deadline;  // earliest clock at which some lane reaches the pass limit
    std::int64_t nextCheckpoint;
    std::size_t nextPoint;
    std::size_t column;
    std::size_t row;
    std::size_t pointCount;
    std::int32_t busyLanes;
    CycleTally tally;
};

// Hands out the next grid point with a finite c. Others (never produced by a
// sane view) go straight through EscapeIndex so the vector lanes only ever
// see finite squares.
template <int kLaneCount>
inline bool TakePoint(GridRun<kLaneCount>& run, const PointGrid& grid, std::uint32_t* out,
                      double* cx, double* cy, std::int64_t* target) {
    while (run.nextPoint < run.pointCount) {
        double x = grid.cx[run.column];
        double y = grid.cy[run.row];
        std::size_t index = run.nextPoint;
        run.nextPoint = run.nextPoint + 1;
        run.column = run.column + 1;
        if (run.column == grid.columns) {
            run.column = 0;
            run.row = run.row + 1;
        }
        if (IsFinite(x) && IsFinite(y)) {
            *cx = x;
            *cy = y;
            *target = static_cast<std::int64_t>(index);
            return true;
        }
        out[index] = Palette[EscapeIndex(x, y)] - kOpaque;
    }
    return false;
}

// Runs passes until the queue has handed out chunkEnd points (or is empty)
// and every lane is idle. Returns whether any lane is still busy.
template <class Isa, int kVectors, bool kCheckCycles>
bool RunPasses(GridRun<kVectors * Isa::kLanes>& run, const PointGrid& grid, std::uint32_t* out,
               std::size_t chunkEnd) {
    using Vec = typename Isa::Vec;
    constexpr int kLanes = Isa::kLanes;
    constexpr int kLaneCount = kVectors * kLanes;
    constexpr unsigned kAllLanes = (1u << kLanes) - 1;

    Vec zx[kVectors];
    Vec zy[kVectors];
    Vec cx[kVectors];
    Vec cy[kVectors];
    Vec px[kVectors];
    Vec py[kVectors];
    Vec sum[kVectors];
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        zx[v] = Isa::Load(run.zx + v * kLanes);
        zy[v] = Isa::Load(run.zy + v * kLanes);
        cx[v] = Isa::Load(run.cx + v * kLanes);
        cy[v] = Isa::Load(run.cy + v * kLanes);
        if constexpr (kCheckCycles) {
            px[v] = Isa::Load(run.px + v * kLanes);
            py[v] = Isa::Load(run.py + v * kLanes);
        }
        sum[v] = Isa::Set1(0.0);
    });
    const Vec bound = Isa::Set1(4.0);
    const double kNoCheckpoint = NoCheckpoint();

    std::int64_t clock = run.clock;
    // Idle lanes are filled on entry, as if they had just finished.
    bool fillIdle = true;
    for (;;) {
        std::int64_t nextStop = run.deadline;
        if (kCheckCycles && run.nextCheckpoint < nextStop) {
            nextStop = run.nextCheckpoint;
        }
        if (!fillIdle) {
            for (;;) {
                Repeat<kVectors>([&](auto vi) {
                    constexpr int v = decltype(vi)::value;
                    Vec x2 = Isa::Mul(zx[v], zx[v]);
                    Vec y2 = Isa::Mul(zy[v], zy[v]);
                    zy[v] = Isa::Add(Isa::Mul(zy[v], Isa::Add(zx[v], zx[v])), cy[v]);
                    zx[v] = Isa::Add(Isa::Sub(x2, y2), cx[v]);
                    sum[v] = Isa::Add(y2, x2);
                });
                // Busy lanes have finite squares, so the largest sum tells
                // whether any lane escaped.
                Vec largest = sum[0];
                Repeat<kVectors>([&](auto vi) {
                    constexpr int v = decltype(vi)::value;
                    if constexpr (v > 0) {
                        largest = Isa::Max(largest, sum[v]);
                    }
                });
                clock = clock + 1;
                if (Isa::Any(Isa::NotBelow(largest, bound)) || clock >= nextStop) {
                    break;
                }
                if constexpr (kCheckCycles) {
                    // Comparing costs as much as a third of a pass, so only every
                    // few passes; checkpoints fall on the same beat, so a cycle
                    // is still seen within a few periods.
                    if (clock % kCycleStride == 0) {
                        auto same = Isa::SameZ(zx[0], px[0], zy[0], py[0]);
                        Repeat<kVectors>([&](auto vi) {
                            constexpr int v = decltype(vi)::value;
                            if constexpr (v > 0) {
                                same = Isa::Or(same, Isa::SameZ(zx[v], px[v], zy[v], py[v]));
                            }
                        });
                        if (Isa::Any(same)) {
                            break;
                        }
                    }
                }
            }
        }

        bool deadlineDue = clock >= run.deadline;
        bool checkpointDue = kCheckCycles && clock >= run.nextCheckpoint;
        bool queueOpen = run.nextPoint < run.pointCount;
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            constexpr int base = v * kLanes;
            unsigned finished = Isa::Bits(Isa::NotBelow(sum[v], bound));
            if (deadlineDue) {
                for (int i = 0; i < kLanes; ++i) {
                    finished |= static_cast<unsigned>(clock - run.start[base + i] >= kPassLimit)
                                << i;
                }
            }
            // Idle lanes (c = 0, z = 0, no checkpoint) can neither escape, come
            // due nor repeat, so only a fill needs to look for them.
            if (fillIdle && queueOpen) {
                for (int i = 0; i < kLanes; ++i) {
                    finished |= static_cast<unsigned>(run.target[base + i] < 0) << i;
                }
            }
            unsigned cycled = 0;
            if constexpr (kCheckCycles) {
                if (!fillIdle) {
                    cycled = Isa::Bits(Isa::SameZ(zx[v], px[v], zy[v], py[v])) & ~finished;
                }
            }
            if ((finished | cycled) == 0) {
                return;
            }
            double sums[kLanes];
            Isa::Store(sums, sum[v]);
            for (unsigned bits = finished; bits != 0; bits &= bits - 1) {
                int lane = base + LowestLane(bits);
                if (run.target[lane] < 0) {
                    continue;
                }
                std::int64_t passes = clock - run.start[lane];
                PaletteIndex index = passes < kPassLimit
                                         ? static_cast<PaletteIndex>(kBandWidth * passes)
                                         : InsideIndex(sums[lane - base]);
                out[run.target[lane]] = Palette[index] - kOpaque;
                run.busyLanes = run.busyLanes - 1;
                run.tally.finished = run.tally.finished + 1;
                run.tally.inside = run.tally.inside + (passes >= kPassLimit);
            }
            if (cycled != 0) {
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
                    int lane = base + i;
                    // z is back at the checkpoint taken `period` passes ago, so
                    // from here on the squares repeat with that period and never
                    // escape: the last pass's squares come a whole number of
                    // periods plus `remaining` passes from now.
                    std::int64_t passes = clock - run.start[lane];
                    std::int64_t period = clock - run.checkpointAt[lane];
                    std::int64_t remaining = (kPassLimit - passes) % period;
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
                    out[run.target[lane]] = Palette[InsideIndex(magnitude)] - kOpaque;
                    run.busyLanes = run.busyLanes - 1;
                    run.tally.finished = run.tally.finished + 1;
                    run.tally.inside = run.tally.inside + 1;
                    run.tally.caught = run.tally.caught + 1;
                }
            }
            unsigned refill = finished | cycled;
            for (unsigned bits = refill; bits != 0; bits &= bits - 1) {
                int i = LowestLane(bits);
                int lane = base + i;
                double nextCx = 0.0;
                double nextCy = 0.0;
                std::int64_t target = -1;
                if (TakePoint(run, grid, out, &nextCx, &nextCy, &target)) {
                    run.start[lane] = clock;
                    run.busyLanes = run.busyLanes + 1;
                    if (clock + kPassLimit < run.deadline) {
                        run.deadline = clock + kPassLimit;
                    }
                } else {
                    // c = 0 keeps an idle lane at z = 0, far from the bound.
                    run.start[lane] = kFarFuture;
                }
                run.target[lane] = target;
                cx[v] = Isa::InsertLane(cx[v], i, nextCx);
                cy[v] = Isa::InsertLane(cy[v], i, nextCy);
                if constexpr (kCheckCycles) {
                    // z0 = 0 is a point of the orbit like any other.
                    double checkpoint = target >= 0 ? 0.0 : kNoCheckpoint;
                    px[v] = Isa::InsertLane(px[v], i, checkpoint);
                    py[v] = Isa::InsertLane(py[v], i, checkpoint);
                    run.checkpointAt[lane] = clock;
                }
            }
            zx[v] = Isa::ClearLanes(zx[v], refill & kAllLanes);
            zy[v] = Isa::ClearLanes(zy[v], refill & kAllLanes);
        });
        fillIdle = false;

        if (checkpointDue) {
            Repeat<kVectors>([&](auto vi) {
                constexpr int v = decltype(vi)::value;
                px[v] = zx[v];
                py[v] = zy[v];
                for (int i = 0; i < kLanes; ++i) {
                    if (run.target[v * kLanes + i] < 0) {
                        px[v] = Isa::InsertLane(px[v], i, kNoCheckpoint);
                    }
                }
            });
            for (int lane = 0; lane < kLaneCount; ++lane) {
                run.checkpointAt[lane] = clock;
            }
            run.nextCheckpoint = clock / kCycleStride * kCycleStride + kCheckpointInterval;
        }
        if (deadlineDue) {
            run.deadline = kFarFuture;
            for (int lane = 0; lane < kLaneCount; ++lane) {
                if (run.start[lane] + kPassLimit < run.deadline) {
                    run.deadline = run.start[lane] + kPassLimit;
                }
            }
        }
        bool busy = run.busyLanes > 0;
        if (!busy || run.nextPoint >= chunkEnd) {
            run.clock = clock;
            Repeat<kVectors>([&](auto vi) {
                constexpr int v = decltype(vi)::value;
                Isa::Store(run.zx + v * kLanes, zx[v]);
                Isa::Store(run.zy + v * kLanes, zy[v]);
                Isa::Store(run.cx + v * kLanes, cx[v]);
                Isa::Store(run.cy + v * kLanes, cy[v]);
                if constexpr (kCheckCycles) {
                    Isa::Store(run.px + v * kLanes, px[v]);
                    Isa::Store(run.py + v * kLanes, py[v]);
                }
            });
            return busy;
        }
    }
}

// Colours the whole grid with kVectors vectors of Isa in flight.
template <class Isa, int kVectors>
void RenderGridWith(const PointGrid& grid, std::uint32_t* out) {
    constexpr int kLaneCount = kVectors * Isa::kLanes;
    GridRun<kLaneCount> run;
    for (int lane = 0; lane < kLaneCount; ++lane) {
        run.zx[lane] = 0.0;
        run.zy[lane] = 0.0;
        run.cx[lane] = 0.0;
        run.cy[lane] = 0.0;
        run.px[lane] = NoCheckpoint();
        run.py[lane] = NoCheckpoint();
        run.start[lane] = kFarFuture;
        run.checkpointAt[lane] = 0;
        run.target[lane] = -1;
    }
    run.clock = 0;
    run.deadline = kFarFuture;
    run.nextCheckpoint = kCheckpointInterval;
    run.nextPoint = 0;
    run.column = 0;
    run.row = 0;
    run.pointCount = grid.columns * grid.rows;
    run.busyLanes = 0;
    run.tally = CycleTally{0, 0, 0};

    bool checkCycles = DecideCycleChecks(run.tally);
    std::size_t chunkEnd = 0;
    bool busy = true;
    while (busy || run.nextPoint < run.pointCount) {
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
            run.nextCheckpoint = (run.clock / kCycleStride + 1) * kCycleStride;
        }
        checkCycles = checkNext;
    }
}

}  // namespace
