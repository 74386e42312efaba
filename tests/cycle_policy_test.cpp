// When the kernels compare orbits: the decision after each chunk, step by step
// through turning on, keeping on, stopping, and backing off up to the limit.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/kernel/cycle_policy.h"

namespace {

struct Step {
    CycleTally chunk;  // finished, inside, caught
    bool checkNext;
    int times;  // the same chunk and the same decision, this many times in a row
};

constexpr CycleTally kNothingFinished = {0, 0, 0};
constexpr CycleTally kAllCaught = {80, 80, 80};
constexpr CycleTally kNoneCaught = {80, 80, 0};

// From a policy that is not checking and has nothing to skip.
constexpr Step kAdaptiveSteps[] = {
    {kNothingFinished, false, 1},
    {{80, 10, 0}, true, 1},  // exactly an eighth inside: worth trying
    {kNothingFinished, true, 1},
    {{80, 17, 2}, false, 1},       // fewer than an eighth of those caught: off, skip 1 chunk
    {kNothingFinished, false, 1},  // only chunks that finished points count as skipped
    {kAllCaught, false, 1},
    {kAllCaught, true, 1},
    {{80, 16, 2}, true, 1},  // exactly an eighth caught: keep on, back-off reset
    {{80, 9, 9}, false, 1},  // fewer than an eighth inside: off, but no back-off
    {{80, 9, 9}, false, 1},
    {{80, 10, 0}, true, 1},
    {kNoneCaught, false, 1},
    {kAllCaught, false, 1},
    {kAllCaught, true, 1},
    {kNoneCaught, false, 1},  // the skip doubles with every failure in a row
    {kAllCaught, false, 2},
    {kAllCaught, true, 1},
    {kNoneCaught, false, 1},
    {kAllCaught, false, 4},
    {kAllCaught, true, 1},
    {kNoneCaught, false, 1},
    {kAllCaught, false, 8},
    {kAllCaught, true, 1},
    {kNoneCaught, false, 1},
    {kAllCaught, false, 16},
    {kAllCaught, true, 1},
    {kNoneCaught, false, 1},
    {kAllCaught, false, 32},
    {kAllCaught, true, 1},
    {kNoneCaught, false, 1},
    {kAllCaught, false, 64},
    {kAllCaught, true, 1},
    {kNoneCaught, false, 1},
    {kAllCaught, false, 64},  // the longest back-off
    {kAllCaught, true, 1},
    {kNoneCaught, false, 1},  // left skipping, at the longest back-off
};

std::uint64_t caughtFed = 0;

// Feeds the steps to the policy as it is; names the first wrong decision.
std::string RunSteps(const Step* steps, std::size_t count) {
    for (std::size_t s = 0; s < count; ++s) {
        for (int time = 0; time < steps[s].times; ++time) {
            caughtFed += steps[s].chunk.caught;
            if (DecideCycleChecks(steps[s].chunk) != steps[s].checkNext) {
                return "step " + std::to_string(s) + ", chunk " + std::to_string(time + 1);
            }
        }
    }
    return "";
}

std::string RunAdaptiveSteps() {
    return RunSteps(kAdaptiveSteps, sizeof kAdaptiveSteps / sizeof kAdaptiveSteps[0]);
}

// The program never sets a mode, so it decides from the policy's start-up
// state. Taken during static initialisation, before any test or kernel runs.
const std::uint64_t kCaughtAtStartUp = CaughtCycleCount();
const std::string kRunFromStartUp = RunAdaptiveSteps();

TEST(CyclePolicyTest, DecisionsFromStartUpAndAfterEveryModeChange) {
    EXPECT_EQ(kCaughtAtStartUp, 0u);
    EXPECT_EQ(kRunFromStartUp, "");

    std::uint64_t caughtBefore = CaughtCycleCount();
    std::uint64_t fedBefore = caughtFed;
    SetCycleCheckMode(kAdaptiveCycleChecks);
    EXPECT_EQ(RunAdaptiveSteps(), "");

    // Setting a mode ends any skipping, back-off and checking.
    SetCycleCheckMode(kAdaptiveCycleChecks);
    const Step afterReset[] = {{kAllCaught, true, 1},
                               {kNoneCaught, false, 1},
                               {kAllCaught, false, 1},
                               {kAllCaught, true, 1}};
    EXPECT_EQ(RunSteps(afterReset, 4), "");
    SetCycleCheckMode(kAdaptiveCycleChecks);
    const Step nothing[] = {{kNothingFinished, false, 1}};
    EXPECT_EQ(RunSteps(nothing, 1), "");

    SetCycleCheckMode(kAlwaysCheckCycles);
    const Step always[] = {{{80, 0, 0}, true, 1}, {kNothingFinished, true, 1}};
    EXPECT_EQ(RunSteps(always, 2), "");
    SetCycleCheckMode(kNeverCheckCycles);
    const Step never[] = {{kAllCaught, false, 1}, {kNothingFinished, false, 1}};
    EXPECT_EQ(RunSteps(never, 2), "");
    SetCycleCheckMode(kAdaptiveCycleChecks);

    // Every caught point counts, whatever the mode.
    EXPECT_EQ(CaughtCycleCount() - caughtBefore, caughtFed - fedBefore);
}

}  // namespace
