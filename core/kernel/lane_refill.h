// Collecting finished lanes and refilling them from the stage, a whole vector
// at a time: the finished lanes' entries are compressed into the colour
// queue, the next staged points are expanded into the lanes they free.
#pragma once

#include "core/kernel/colour_queue.h"
#include "core/kernel/lanes.h"

namespace {

// Gives the refill lanes of vector v the next staged points, from z = 0,
// taking them from stagePos on.
template <class Isa, int kVectors, int v, bool kCheckCycles>
KERNEL_INLINE void RefillVector(Lanes<Isa, kVectors>& lanes, KernelRun<kVectors * Isa::kLanes>& run,
                                unsigned refill, int& stagePos) {
    constexpr int base = v * Isa::kLanes;
    typename Isa::Order order = Isa::ExpandOrder(refill);
    lanes.cx[v] = Isa::ExpandFrom(lanes.cx[v], refill, order, run.stageCx + stagePos);
    lanes.cy[v] = Isa::ExpandFrom(lanes.cy[v], refill, order, run.stageCy + stagePos);
    lanes.tag[v] = Isa::ExpandIntsFrom(lanes.tag[v], refill, order, run.stageTag + stagePos);
    stagePos = stagePos + CountLanes(refill);
    lanes.zx[v] = Isa::ClearLanes(lanes.zx[v], refill);
    lanes.zy[v] = Isa::ClearLanes(lanes.zy[v], refill);
    if constexpr (kCheckCycles) {
        // z0 = 0 is a point of the orbit like any other.
        Isa::Store(run.px + base, Isa::ClearLanes(Isa::Load(run.px + base), refill));
        Isa::Store(run.py + base, Isa::ClearLanes(Isa::Load(run.py + base), refill));
        typename Isa::Ints kept = Isa::LoadInts(run.checkpointTag + base);
        Isa::StoreInts(run.checkpointTag + base, Isa::BlendInts(refill, kept, lanes.tag[v]));
    }
    lanes.busy[v] = ~Isa::SignBits(lanes.tag[v]) & AllLanes(Isa::kLanes);
    // From the tags, not from busy: the next pass need not wait for the bits.
    lanes.running[v] = Isa::LanesWithPoints(lanes.tag[v]);
}

}  // namespace
