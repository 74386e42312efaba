// Refilling lanes from the stage, a whole vector at a time: the next staged
// points are expanded into the lanes that are finished or idle.
#pragma once

#include <cassert>

#include "core/kernel/isa_region.h"
#include "core/kernel/lane_bits.h"
#include "core/kernel/lanes.h"
#include "core/kernel/orbit_cycles.h"
#include "core/kernel/point_stage.h"

KERNEL_BEGIN

// Gives the refill lanes of vector v the next staged points, from z = 0,
// taking them from stagePos on.
template <class Isa, int kVectors, int v, bool kCheckCycles>
KERNEL_INLINE void RefillVector(Lanes<Isa, kVectors>& lanes,
                                const PointStage<kVectors * Isa::kLanes>& stage,
                                OrbitCheckpoints<kVectors * Isa::kLanes>& orbits, unsigned refill,
                                int& stagePos) {
    assert(stagePos >= 0 &&
           stagePos + Isa::kLanes <= PointStage<kVectors * Isa::kLanes>::kCapacity);
    typename Isa::Order order = Isa::ExpandOrder(refill);
    lanes.cx[v] = Isa::ExpandFrom(lanes.cx[v], refill, order, stage.cx + stagePos);
    lanes.cy[v] = Isa::ExpandFrom(lanes.cy[v], refill, order, stage.cy + stagePos);
    lanes.tag[v] = Isa::ExpandIntsFrom(lanes.tag[v], refill, order, stage.tag + stagePos);
    stagePos = stagePos + CountLanes(refill);
    lanes.zx[v] = Isa::ClearLanes(lanes.zx[v], refill);
    lanes.zy[v] = Isa::ClearLanes(lanes.zy[v], refill);
    if constexpr (kCheckCycles) {
        RestartCheckpoints<Isa, v>(orbits, refill, lanes.tag[v]);
    }
    lanes.busy[v] = ~Isa::SignBits(lanes.tag[v]) & AllLanes(Isa::kLanes);
    // From the tags, not from busy: the next pass need not wait for the bits.
    lanes.running[v] = Isa::LanesWithPoints(lanes.tag[v]);
}

KERNEL_END
