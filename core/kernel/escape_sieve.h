// The early-escape sieve. Many points of a wide view escape within a few
// passes, and sitting in the refilling kernel costs them more than that: the
// sieve runs kSievePasses passes of a batch of newly staged points side by
// side, without refills, and colours the ones that escape. The rest stay
// staged, in order, and start again from z = 0 in the kernel.
#pragma once

#include "core/kernel/colour_queue.h"
#include "core/kernel/lanes.h"

namespace {

// The most stage fills the sieve may rest.
constexpr int kLongestSieveRest = 64;

// Sieves the staged points from first to end; returns the new end.
template <class Isa, int kVectors, int kSievePasses>
int SieveStage(KernelRun<kVectors * Isa::kLanes>& run, int first, int end) {
    constexpr int kLanes = Isa::kLanes;
    const typename Isa::Vec bound = Isa::Set1(kEscapeBound);
    int kept = first;
    // The queue's length in a register, as in the kernel's collections.
    int queued = run.queued;
    for (int start = first; start < end; start += kVectors * kLanes) {
        // The batch's lanes; busy marks the ones holding a point of the batch.
        Lanes<Isa, kVectors> lanes;
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            int base = start + v * kLanes;
            int count = end - base;
            count = count < 0 ? 0 : (count > kLanes ? kLanes : count);
            // Past end the stage holds idle or stale points; their lanes are off.
            lanes.busy[v] = (1u << count) - 1;
            lanes.cx[v] = Isa::Load(run.stageCx + base);
            lanes.cy[v] = Isa::Load(run.stageCy + base);
            lanes.tag[v] = Isa::LoadInts(run.stageTag + base);
            lanes.zx[v] = Isa::Set1(0.0);
            lanes.zy[v] = Isa::Set1(0.0);
            lanes.running[v] = Isa::Lanes(lanes.busy[v]);
        });
        RunLanePasses(lanes, kSievePasses, bound);
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            unsigned stay = Isa::Bits(lanes.running[v]) & lanes.busy[v];
            unsigned gone = lanes.busy[v] & ~stay;
            // An escaped point's tag holds its pass count: it is its entry.
            QueueEntries<Isa>(run.queue, queued, gone, lanes.tag[v]);
            Isa::CompressTo(run.stageCx + kept, stay, lanes.cx[v]);
            Isa::CompressTo(run.stageCy + kept, stay, lanes.cy[v]);
            Isa::CompressIntsTo(run.stageTag + kept, stay,
                                Isa::AndInts(lanes.tag[v], Isa::Set1Ints(kTargetMask)));
            kept = kept + CountLanes(stay);
        });
    }
    int escaped = queued - run.queued;
    run.queued = queued;
    run.tally.finished = run.tally.finished + static_cast<std::uint64_t>(escaped);
    // The sieve pays while most points escape in it; otherwise it rests for a
    // growing number of fills.
    if (escaped * 2 < end - first) {
        run.sieveSkip = run.sieveBackoff;
        run.sieveBackoff =
            run.sieveBackoff * 2 < kLongestSieveRest ? run.sieveBackoff * 2 : kLongestSieveRest;
    } else {
        run.sieveBackoff = 1;
    }
    return kept;
}

}  // namespace
