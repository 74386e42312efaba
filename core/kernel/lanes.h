// The lanes a kernel iterates side by side: kVectors vectors of Isa, kept in
// registers while the kernel runs and saved in SavedLanes between calls. (The
// orbit checkpoints stay in memory: they are only read at block ends.)
#pragma once

#include <cstdint>

#include "core/kernel/chunk_tally.h"
#include "core/kernel/cycle_policy.h"
#include "core/kernel/escape_pass.h"
#include "core/kernel/isa_region.h"
#include "core/kernel/lane_bits.h"
#include "core/kernel/lane_tag.h"
#include "core/kernel/repeat.h"

KERNEL_BEGIN

template <class Isa, int kVectors>
struct Lanes {
    using Vec = typename Isa::Vec;
    Vec zx[kVectors];
    Vec zy[kVectors];
    Vec cx[kVectors];
    Vec cy[kVectors];
    Vec magnitude[kVectors];  // the squared magnitude of the latest pass
    typename Isa::Ints tag[kVectors];
    typename Isa::Mask running[kVectors];
    unsigned busy[kVectors];    // lanes holding a point, running or finished
    unsigned inside[kVectors];  // finished lanes found inside the set
};

// The lanes between the kernel's calls, as plain arrays so that they may live
// on any stack whatever the vector alignment.
template <int kLaneCount>
struct SavedLanes {
    double zx[kLaneCount];
    double zy[kLaneCount];
    double cx[kLaneCount];
    double cy[kLaneCount];
    std::int64_t tag[kLaneCount];
};

// Every lane idle.
template <int kLaneCount>
void StartSavedLanes(SavedLanes<kLaneCount>& saved) {
    for (int lane = 0; lane < kLaneCount; ++lane) {
        saved.zx[lane] = 0.0;
        saved.zy[lane] = 0.0;
        saved.cx[lane] = 0.0;
        saved.cy[lane] = 0.0;
        saved.tag[lane] = kIdleTag;
    }
}

// Runs the literal pass passes times on every vector.
template <class Isa, int kVectors>
KERNEL_INLINE void RunLanePasses(Lanes<Isa, kVectors>& lanes, std::int64_t passes,
                                 typename Isa::Vec bound) {
    for (std::int64_t pass = 0; pass < passes; ++pass) {
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            RunPass<Isa>(lanes.zx[v], lanes.zy[v], lanes.cx[v], lanes.cy[v], lanes.tag[v],
                         lanes.running[v], bound);
        });
    }
}

// Finishes the chosen running lanes of vector v as inside the set: each
// takes as its tag the entry of its pixel with the inside colour of the
// squared magnitude its last pass tests, and stops running.
template <class Isa, int kVectors, int v>
KERNEL_INLINE void FinishInside(Lanes<Isa, kVectors>& lanes, CycleTally& tally, unsigned chosen,
                                typename Isa::Vec magnitude) {
    typename Isa::Ints entries = Isa::OrInts(Isa::AndInts(lanes.tag[v], Isa::Set1Ints(kTargetMask)),
                                             Isa::InsideField(magnitude));
    lanes.tag[v] = Isa::BlendInts(chosen, lanes.tag[v], entries);
    lanes.running[v] = Isa::Lanes(Isa::Bits(lanes.running[v]) & ~chosen);
    lanes.inside[v] = lanes.inside[v] | chosen;
    CountInside(tally, CountLanes(chosen));
}

template <class Isa, int kVectors>
KERNEL_INLINE void LoadLanes(Lanes<Isa, kVectors>& lanes,
                             const SavedLanes<kVectors * Isa::kLanes>& saved) {
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        constexpr int base = v * Isa::kLanes;
        lanes.zx[v] = Isa::Load(saved.zx + base);
        lanes.zy[v] = Isa::Load(saved.zy + base);
        lanes.cx[v] = Isa::Load(saved.cx + base);
        lanes.cy[v] = Isa::Load(saved.cy + base);
        lanes.magnitude[v] = Isa::Set1(0.0);
        lanes.tag[v] = Isa::LoadInts(saved.tag + base);
        // Between calls every lane with a point is still running.
        lanes.busy[v] = ~Isa::SignBits(lanes.tag[v]) & AllLanes(Isa::kLanes);
        lanes.running[v] = Isa::Lanes(lanes.busy[v]);
        lanes.inside[v] = 0;
    });
}

template <class Isa, int kVectors>
KERNEL_INLINE void SaveLanes(const Lanes<Isa, kVectors>& lanes,
                             SavedLanes<kVectors * Isa::kLanes>& saved) {
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        constexpr int base = v * Isa::kLanes;
        Isa::Store(saved.zx + base, lanes.zx[v]);
        Isa::Store(saved.zy + base, lanes.zy[v]);
        Isa::Store(saved.cx + base, lanes.cx[v]);
        Isa::Store(saved.cy + base, lanes.cy[v]);
        Isa::StoreInts(saved.tag + base, lanes.tag[v]);
    });
}

KERNEL_END
