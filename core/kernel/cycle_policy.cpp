#include "core/kernel/cycle_policy.h"

namespace {

constexpr std::int32_t kLongestBackoff = 64;

CycleCheckMode cycleCheckMode = kAdaptiveCycleChecks;
bool checkingCycles = false;
// Chunks to skip before trying again, after the check last found too little.
std::int32_t chunksToSkip = 0;
std::int32_t backoff = 1;
std::uint64_t caughtTotal = 0;

}  // namespace

void SetCycleCheckMode(CycleCheckMode mode) {
    cycleCheckMode = mode;
    checkingCycles = false;
    chunksToSkip = 0;
    backoff = 1;
}

bool DecideCycleChecks(const CycleTally& chunk) {
    caughtTotal += chunk.caught;
    if (cycleCheckMode != kAdaptiveCycleChecks) {
        return cycleCheckMode == kAlwaysCheckCycles;
    }
    if (chunk.finished == 0) {
        return checkingCycles;
    }
    // Only points that run all passes can gain, and only caught ones do; a
    // caught point saves about a hundred passes, while the check costs a few
    // percent of every pass, so an eighth of either is enough.
    bool manyInside = chunk.inside * 8 >= chunk.finished;
    if (checkingCycles) {
        if (!manyInside) {
            checkingCycles = false;
        } else if (chunk.caught * 8 < chunk.inside) {
            // Inside but not periodic in 255 passes (near the boundary): back off.
            checkingCycles = false;
            chunksToSkip = backoff;
            backoff = backoff * 2 < kLongestBackoff ? backoff * 2 : kLongestBackoff;
        } else {
            backoff = 1;
        }
        return checkingCycles;
    }
    if (chunksToSkip > 0) {
        chunksToSkip = chunksToSkip - 1;
        return false;
    }
    checkingCycles = manyInside;
    return checkingCycles;
}

std::uint64_t CaughtCycleCount() {
    return caughtTotal;
}
