// Whether the vector kernels look for orbits that repeat exactly. Catching
// one saves the rest of its 255 passes, but the comparison costs every pass,
// so it is switched on only while recent points were mostly inside the set and
// the check kept finding cycles among them.
#pragma once

#include <cstdint>

enum CycleCheckMode : std::int32_t {
    kAdaptiveCycleChecks,
    kAlwaysCheckCycles,
    kNeverCheckCycles,
};

// Points that finished during one chunk of a kernel's work.
struct CycleTally {
    std::uint64_t finished;  // all finished points
    std::uint64_t inside;    // those that ran all 255 passes (caught ones included)
    std::uint64_t caught;    // points seen repeating early enough to skip most passes
};

void SetCycleCheckMode(CycleCheckMode mode);

// Takes the tally of the chunk just done; tells whether the next chunk checks.
bool DecideCycleChecks(const CycleTally& chunk);

// Points caught repeating (early enough to count) since the program started;
// tests use it to see that the check ran.
std::uint64_t CaughtCycleCount();
