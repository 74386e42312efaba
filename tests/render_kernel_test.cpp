// Every kernel must give exactly the pixels of the literal per-pixel loop, for
// whole frames of telling views, with the cycle check forced on, forced off and
// left to adapt. Under an emulated CPU the test command sets
// MANDELBROT_KERNEL_FRAMES=reduced: every test and kernel path on fewer
// pixels; and MANDELBROT_EXPECTED_KERNEL to the kernel the CPU must get.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "core/kernel/cycle_policy.h"
#include "core/kernel/render_kernel.h"
#include "core/render.h"
#include "tests/benchmark_views.h"
#include "tests/core_fixture.h"
#include "tests/literal_render.h"

namespace {

// Beyond double precision in both directions: long runs of equal cx and cy.
const View kBeyondPrecision{"beyond precision", -1.25, 0.1, 1e-16};
// Past double precision with many distinct coordinates, repeated in uneven runs.
const View kRepeatedCoordinates{"repeated coordinates", 0.54908291601127923, -0.59999999999999876,
                                3e-15};
// |c| > 2 everywhere: every point escapes in the first passes.
const View kFarOut{"far out", 3.0, -3.0, 2.0};

const RenderKernel kAllKernels[] = {kScalarKernel, kSse2Kernel, kAvx2Kernel, kAvx512Kernel,
                                    kWasm128Kernel};
const RenderKernel kVectorKernels[] = {kSse2Kernel, kAvx2Kernel, kAvx512Kernel, kWasm128Kernel};
const CycleCheckMode kAllModes[] = {kAdaptiveCycleChecks, kAlwaysCheckCycles, kNeverCheckCycles};

bool ReducedFrames() {
    const char* frames = std::getenv("MANDELBROT_KERNEL_FRAMES");
    return frames != nullptr && std::string(frames) == "reduced";
}

// Those of kernels this machine can run.
template <std::size_t kCount>
std::vector<RenderKernel> SupportedKernels(const RenderKernel (&kernels)[kCount]) {
    std::vector<RenderKernel> supported;
    for (RenderKernel kernel : kernels) {
        if (IsRenderKernelSupported(kernel)) {
            supported.push_back(kernel);
        }
    }
    return supported;
}

std::vector<std::uint32_t> RenderLiterally(const Rect& region) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(region.right - region.left) *
                                      static_cast<std::size_t>(region.bottom - region.top));
    ::RenderLiterally(region, pixels.data());
    return pixels;
}

std::vector<std::uint32_t> RenderWithKernel(const Rect& region) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(PixelCount(region)), 0u);
    RenderRegion(region, pixels.data());
    return pixels;
}

::testing::AssertionResult SamePixels(const std::vector<std::uint32_t>& expected,
                                      const std::vector<std::uint32_t>& actual,
                                      const Rect& region) {
    if (expected.size() != actual.size()) {
        return ::testing::AssertionFailure() << "pixel count " << actual.size();
    }
    std::int32_t width = region.right - region.left;
    std::size_t wrong = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i]) {
            first = wrong == 0 ? i : first;
            wrong = wrong + 1;
        }
    }
    if (wrong == 0) {
        return ::testing::AssertionSuccess();
    }
    std::ostringstream report;
    report << wrong << " wrong pixels, first at client (" << region.left + first % width << ", "
           << region.top + first / width << "): 0x" << std::hex << actual[first] << " instead of 0x"
           << expected[first];
    return ::testing::AssertionFailure() << report.str();
}

class RenderKernelTest : public ::testing::Test {
   protected:
    void SetUp() override { ResetCoreState(); }

    void TearDown() override {
        SetCycleCheckMode(kAdaptiveCycleChecks);
        SelectRenderKernel(BestRenderKernel());
    }

    // Renders region of the current view with every supported kernel in every
    // cycle-check mode and compares each with the literal loop.
    static void ExpectEveryKernelMatches(const std::string& what, const Rect& region) {
        std::vector<std::uint32_t> expected = RenderLiterally(region);
        for (RenderKernel kernel : SupportedKernels(kAllKernels)) {
            SelectRenderKernel(kernel);
            ASSERT_EQ(ActiveRenderKernel(), kernel);
            for (CycleCheckMode mode : kAllModes) {
                SetCycleCheckMode(mode);
                EXPECT_TRUE(SamePixels(expected, RenderWithKernel(region), region))
                    << what << ", " << RenderKernelName(kernel) << " kernel, cycle mode " << mode;
                if (kernel == kScalarKernel) {
                    break;  // the scalar kernel has no cycle check
                }
            }
        }
    }

    // Renders region with the selected kernel in mode, expects the literal
    // pixels and returns how many points were caught repeating meanwhile.
    static std::uint64_t CatchesRendering(const Rect& region,
                                          const std::vector<std::uint32_t>& expected,
                                          CycleCheckMode mode) {
        SetCycleCheckMode(mode);
        std::uint64_t before = CaughtCycleCount();
        EXPECT_TRUE(SamePixels(expected, RenderWithKernel(region), region))
            << RenderKernelName(ActiveRenderKernel()) << ", cycle mode " << mode;
        return CaughtCycleCount() - before;
    }

    static void ExpectFramesMatch(const View& view, std::int32_t width, std::int32_t height) {
        ShowView(view, width);
        ExpectEveryKernelMatches(
            std::string(view.name) + " " + std::to_string(width) + "x" + std::to_string(height),
            Rect{0, 0, width, height});
    }
};

TEST_F(RenderKernelTest, DetectionAgreesWithTheCompiler) {
    EXPECT_TRUE(IsRenderKernelSupported(kScalarKernel));
    EXPECT_TRUE(IsRenderKernelSupported(BestRenderKernel()));
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
    // An independent check: the compiler's runtime also asks CPUID and XGETBV.
    __builtin_cpu_init();
    EXPECT_TRUE(IsRenderKernelSupported(kSse2Kernel));
    EXPECT_EQ(IsRenderKernelSupported(kAvx2Kernel), __builtin_cpu_supports("avx2") != 0);
    EXPECT_EQ(IsRenderKernelSupported(kAvx512Kernel), __builtin_cpu_supports("avx512f") != 0);
#endif
    // WebAssembly builds run their vector kernel wherever the module loads.
#if defined(__wasm__)
    EXPECT_TRUE(IsRenderKernelSupported(kWasm128Kernel));
    EXPECT_EQ(BestRenderKernel(), kWasm128Kernel);
#else
    EXPECT_FALSE(IsRenderKernelSupported(kWasm128Kernel));
#endif
    for (RenderKernel kernel : kAllKernels) {
        std::cout << RenderKernelName(kernel)
                  << (IsRenderKernelSupported(kernel) ? " supported\n" : " not supported\n");
    }
}

TEST_F(RenderKernelTest, EmulatedCpuGetsItsKernel) {
    const char* expected = std::getenv("MANDELBROT_EXPECTED_KERNEL");
    if (expected == nullptr) {
        GTEST_SKIP() << "not under an emulated CPU";
    }
    EXPECT_STREQ(RenderKernelName(BestRenderKernel()), expected);
}

TEST_F(RenderKernelTest, SelectionSticksAndFallsBack) {
    for (RenderKernel kernel : kAllKernels) {
        SelectRenderKernel(kernel);
        EXPECT_EQ(ActiveRenderKernel(),
                  IsRenderKernelSupported(kernel) ? kernel : BestRenderKernel());
    }
}

TEST_F(RenderKernelTest, LargeFramesMatchTheLiteralLoop) {
    if (ReducedFrames()) {
        GTEST_SKIP() << "reduced frame set";
    }
    for (const View& view : {kStartView, kInteriorView, kBoundaryView, kDeepView}) {
        ExpectFramesMatch(view, 803, 611);
    }
    ExpectFramesMatch(kRepeatedCoordinates, 300, 200);
}

TEST_F(RenderKernelTest, SmallFramesMatchTheLiteralLoop) {
    for (const View& view : {kStartView, kInteriorView, kBoundaryView, kCardioidView, kDeepView,
                             kBeyondPrecision, kFarOut}) {
        ExpectFramesMatch(view, 1, 1);
        ExpectFramesMatch(view, 37, 23);
        if (!ReducedFrames() || std::string(view.name) == kBoundaryView.name) {
            ExpectFramesMatch(view, 211, 157);
        }
    }
}

TEST_F(RenderKernelTest, RealAxisRowMatches) {
    const std::int32_t width = 401;
    // Row 97 and the rows either side of it, or all of them.
    const Rect rows = ReducedFrames() ? Rect{0, 90, width, 105} : Rect{0, 0, width, 193};
    ShowView(kCardioidView, width);
    // Row 97 lands exactly on cy == 0, where zy stays zero.
    imOffset = 97.0 / pixelsPerUnitY;
    ASSERT_EQ(97.0 / pixelsPerUnitY - imOffset, 0.0);
    ExpectEveryKernelMatches("real axis", rows);
    reLeft = -2.1;
    reSpan = 2.5;
    UpdateScales(width);
    imOffset = 97.0 / pixelsPerUnitY;
    ExpectEveryKernelMatches("whole real axis", rows);
}

TEST_F(RenderKernelTest, OddSubRectangleMatches) {
    ShowView(kInteriorView, 803);
    const std::int32_t tileWidth = ReducedFrames() ? 59 : 259;
    const std::int32_t tileHeight = ReducedFrames() ? 43 : 143;
    ExpectEveryKernelMatches("interior tile", Rect{131, 77, 131 + tileWidth, 77 + tileHeight});
    ShowView(kBeyondPrecision, 803);
    ExpectEveryKernelMatches("beyond precision tile", Rect{5, 300, 5 + 333, 300 + 7});
}

TEST_F(RenderKernelTest, NonFiniteViewsMatch) {
    const double infinity = std::numeric_limits<double>::infinity();
    for (double left : {infinity, -infinity, std::numeric_limits<double>::quiet_NaN()}) {
        ShowView(kStartView, 40);
        reLeft = left;
        ExpectEveryKernelMatches("reLeft " + std::to_string(left), Rect{0, 0, 40, 30});
    }
    // Row 0 gets 0 / 0 = NaN, the others infinity.
    ShowView(kStartView, 40);
    pixelsPerUnitY = 0.0;
    ExpectEveryKernelMatches("cy = y / 0", Rect{0, 0, 40, 30});
    // Columns 0 and 1 are huge but finite (squares overflow), the rest infinite.
    ShowView(kStartView, 40);
    reLeft = 1.7e308;
    pixelsPerUnitX = 1e-307;
    ExpectEveryKernelMatches("overflowing cx", Rect{0, 0, 40, 30});
    // Only the finite columns: the vector lanes themselves overflow.
    ExpectEveryKernelMatches("overflowing finite cx", Rect{0, 0, 2, 30});
}

TEST_F(RenderKernelTest, CycleCheckCatchesInsidePoints) {
    ShowView(kCardioidView, 211);
    Rect region{0, 0, 211, 157};
    std::vector<std::uint32_t> expected = RenderLiterally(region);
    for (RenderKernel kernel : SupportedKernels(kVectorKernels)) {
        SelectRenderKernel(kernel);
        // Most of this view lies in the main cardioid, whose orbits settle;
        // a good part of them early enough to skip most of their passes.
        EXPECT_GT(CatchesRendering(region, expected, kAlwaysCheckCycles), 211u * 157u / 5)
            << RenderKernelName(kernel);
        EXPECT_EQ(CatchesRendering(region, expected, kNeverCheckCycles), 0u)
            << RenderKernelName(kernel);
    }
}

// Orbits of period 3 never come back to where they were two passes earlier:
// only the checkpoints can catch them.
TEST_F(RenderKernelTest, CycleCheckCatchesLongerCycles) {
    // Around the centre of the bulb of period 3 above the main cardioid.
    const View periodThree{"period 3", -0.1426, -0.7318, 0.04};
    const std::int32_t width = 60;
    ShowView(periodThree, width);
    Rect region{0, 0, width, 40};
    std::vector<std::uint32_t> expected = RenderLiterally(region);
    for (RenderKernel kernel : SupportedKernels(kVectorKernels)) {
        SelectRenderKernel(kernel);
        EXPECT_GT(CatchesRendering(region, expected, kAlwaysCheckCycles), 60u * 40u / 2)
            << RenderKernelName(kernel);
    }
}

}  // namespace
