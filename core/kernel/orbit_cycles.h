// The exact cycle shortcut. A lane whose iterate comes back exactly to the
// orbit checkpoint taken `period` passes earlier repeats from there on and
// never escapes, so its colour is known without the remaining passes: the
// squares of the last pass equal those of the pass a whole number of periods
// earlier, which lies at most one period ahead.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/kernel/colour_queue.h"
#include "core/kernel/lanes.h"

namespace {

// Orbit checkpoints move this often, so cycles up to this long are caught
// once the orbit has settled (given the block length divides them).
constexpr std::int64_t kCheckpointInterval = 40;

// A checkpoint no orbit can match: NaN compares unequal to everything.
inline double NoCheckpoint() {
    std::uint64_t bits = 0x7FF8000000000000u;
    double nan;
    std::memcpy(&nan, &bits, sizeof nan);
    return nan;
}

// Lanes of vector v back at their checkpoint.
template <class Isa, int kVectors, int v>
KERNEL_INLINE unsigned CycledLanes(const Lanes<Isa, kVectors>& lanes) {
    return Isa::EqualBits(lanes.zx[v], lanes.px[v], lanes.zy[v], lanes.py[v]) &
           Isa::Bits(lanes.running[v]);
}

template <class Isa, int kVectors>
KERNEL_INLINE void MoveCheckpoints(Lanes<Isa, kVectors>& lanes,
                                   KernelRun<kVectors * Isa::kLanes>& run) {
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        lanes.px[v] = lanes.zx[v];
        lanes.py[v] = lanes.zy[v];
        Isa::StoreInts(run.checkpointTag + v * Isa::kLanes, lanes.tag[v]);
    });
}

// Queues the inside colour of each cycled lane of vector v, running the few
// passes that bring its orbit to the squares of the last pass.
template <class Isa, int kVectors, int v>
void QueueCycledLanes(const Lanes<Isa, kVectors>& lanes, KernelRun<kVectors * Isa::kLanes>& run,
                      unsigned cycled) {
    constexpr int kLanes = Isa::kLanes;
    double x[kLanes];
    double y[kLanes];
    double re[kLanes];
    double im[kLanes];
    double magnitudes[kLanes];
    std::int64_t tags[kLanes];
    Isa::Store(x, lanes.zx[v]);
    Isa::Store(y, lanes.zy[v]);
    Isa::Store(re, lanes.cx[v]);
    Isa::Store(im, lanes.cy[v]);
    Isa::Store(magnitudes, lanes.magnitude[v]);
    Isa::StoreInts(tags, lanes.tag[v]);
    for (int i = 0; i < kLanes; ++i) {
        if ((cycled >> i & 1u) == 0) {
            continue;
        }
        std::int64_t passes = tags[i] / kPassUnit;
        std::int64_t period = passes - run.checkpointTag[v * kLanes + i] / kPassUnit;
        std::int64_t remaining = (kMaxIterations - passes) % period;
        double zr = x[i];
        double zi = y[i];
        double magnitude = magnitudes[i];
        for (std::int64_t pass = 0; pass < remaining; ++pass) {
            double x2 = zr * zr;
            double y2 = zi * zi;
            zi = zi * (zr + zr) + im[i];
            zr = (x2 - y2) + re[i];
            magnitude = y2 + x2;
        }
        run.queue[run.queued] = ColourEntry(tags[i], InsideIndex(magnitude));
        run.queued = run.queued + 1;
    }
}

}  // namespace
