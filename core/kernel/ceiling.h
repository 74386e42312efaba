// The machine's own ceiling for the kernels: the literal pass on lanes that
// never escape, kVectors vectors side by side, nothing else. A kernel's speed
// over the passes it would run literally, against this, is its efficiency.
#pragma once

#include <cstdint>

#include "core/escape.h"
#include "core/kernel/isa_region.h"
#include "core/kernel/lane_bits.h"
#include "core/kernel/lane_tag.h"
#include "core/kernel/lanes.h"
#include "core/kernel/repeat.h"

KERNEL_BEGIN

// Runs passes passes of every lane; returns a sum of the results so that
// nothing can be left out.
template <class Isa, int kVectors>
double RunCeilingWith(std::int64_t passes) {
    Lanes<Isa, kVectors> lanes;
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        // Points of the main cardioid: the orbits settle and never escape.
        lanes.zx[v] = Isa::Set1(0.0);
        lanes.zy[v] = Isa::Set1(0.0);
        lanes.cx[v] = Isa::Set1(-0.1 - 0.01 * v);
        lanes.cy[v] = Isa::Set1(0.05);
        lanes.tag[v] = Isa::Set1Ints(0);
        lanes.running[v] = Isa::Lanes(AllLanes(Isa::kLanes));
    });
    RunLanePasses(lanes, passes, Isa::Set1(kEscapeBound));
    double sum = 0.0;
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        double values[Isa::kLanes];
        Isa::Store(values, Isa::Add(lanes.zx[v], lanes.zy[v]));
        std::int64_t counts[Isa::kLanes];
        Isa::StoreInts(counts, lanes.tag[v]);
        for (int i = 0; i < Isa::kLanes; ++i) {
            sum = sum + values[i] + static_cast<double>(counts[i] / kPassUnit) +
                  static_cast<double>(Isa::Bits(lanes.running[v]));
        }
    });
    return sum;
}

// The ceiling with 1 ... 8 vectors.
template <class Isa>
double RunCeilingFor(int vectors, std::int64_t passes) {
    switch (vectors) {
        case 1:
            return RunCeilingWith<Isa, 1>(passes);
        case 2:
            return RunCeilingWith<Isa, 2>(passes);
        case 3:
            return RunCeilingWith<Isa, 3>(passes);
        case 4:
            return RunCeilingWith<Isa, 4>(passes);
        case 5:
            return RunCeilingWith<Isa, 5>(passes);
        case 6:
            return RunCeilingWith<Isa, 6>(passes);
        case 7:
            return RunCeilingWith<Isa, 7>(passes);
        default:
            return RunCeilingWith<Isa, 8>(passes);
    }
}

KERNEL_END
