// The machine's own ceiling for the kernels: the literal pass on lanes that
// never escape, kVectors vectors side by side, nothing else. A kernel's speed
// over the passes it would run literally, against this, is its efficiency.
#pragma once

#include <cstdint>

#include "core/kernel/escape_pass.h"

namespace {

// Runs passes passes of every lane; returns a sum of the results so that
// nothing can be left out.
template <class Isa, int kVectors>
double RunCeilingWith(std::int64_t passes) {
    using Vec = typename Isa::Vec;
    Vec zx[kVectors];
    Vec zy[kVectors];
    Vec cx[kVectors];
    Vec cy[kVectors];
    typename Isa::Ints tag[kVectors];
    typename Isa::Mask running[kVectors];
    const Vec bound = Isa::Set1(kEscapeBound);
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        // Points of the main cardioid: the orbits settle and never escape.
        zx[v] = Isa::Set1(0.0);
        zy[v] = Isa::Set1(0.0);
        cx[v] = Isa::Set1(-0.1 - 0.01 * v);
        cy[v] = Isa::Set1(0.05);
        tag[v] = Isa::Set1Ints(0);
        running[v] = Isa::Lanes((1u << Isa::kLanes) - 1);
    });
    for (std::int64_t pass = 0; pass < passes; ++pass) {
        Repeat<kVectors>([&](auto vi) {
            constexpr int v = decltype(vi)::value;
            RunPass<Isa>(zx[v], zy[v], cx[v], cy[v], tag[v], running[v], bound);
        });
    }
    double sum = 0.0;
    Repeat<kVectors>([&](auto vi) {
        constexpr int v = decltype(vi)::value;
        double values[Isa::kLanes];
        Isa::Store(values, Isa::Add(zx[v], zy[v]));
        std::int64_t counts[Isa::kLanes];
        Isa::StoreInts(counts, tag[v]);
        for (int i = 0; i < Isa::kLanes; ++i) {
            sum = sum + values[i] + static_cast<double>(counts[i] / kPassUnit) +
                  static_cast<double>(Isa::Bits(running[v]));
        }
    });
    return sum;
}

// The ceiling with 1 ... kMostCeilingVectors vectors.
constexpr int kMostCeilingVectors = 8;

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

}  // namespace
