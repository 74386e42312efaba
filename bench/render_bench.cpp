// Full-HD frames of the usual views: the literal per-pixel loop against
// RenderRegion as the program calls it, plus the narrower kernels forced.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/palette.h"
#include "core/render.h"
#include "core/render_kernel.h"
#include "core/view.h"
#include "tests/literal_render.h"

namespace {

constexpr std::int32_t kWidth = 1920;
constexpr std::int32_t kHeight = 1080;

struct View {
    const char* name;
    double reLeft;
    double imOffset;
    double reSpan;
};

const View kViews[] = {
    {"start", -2.0, 1.3, 3.0},
    {"interior", -0.8, 0.2, 0.4},
    {"boundary", -0.753, -0.098, 0.006},
    {"cardioid", -0.6, 0.2, 0.6},
    {"deep", -0.74364388703715, -0.13182590420533, 1e-13},
};

void ShowView(const View& view) {
    reLeft = view.reLeft;
    imOffset = view.imOffset;
    reSpan = view.reSpan;
    UpdateScales(kWidth);
}

void RenderLiterally(benchmark::State& state, View view) {
    ShowView(view);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
    for (auto _ : state) {
        ::RenderLiterally(Rect{0, 0, kWidth, kHeight}, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
}

void RenderWith(benchmark::State& state, View view, RenderKernel kernel) {
    ShowView(view);
    SelectRenderKernel(kernel);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
    for (auto _ : state) {
        RenderRegion(Rect{0, 0, kWidth, kHeight}, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(RenderKernelName(ActiveRenderKernel()));
}

void RegisterAll() {
    BuildPalette();
    for (const View& view : kViews) {
        std::string name = view.name;
        // Long enough that a few seconds of contention on a shared machine
        // move an average only a little.
        benchmark::RegisterBenchmark(("Literal/" + name).c_str(), RenderLiterally, view)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
        benchmark::RegisterBenchmark(("Render/" + name).c_str(), RenderWith, view,
                                     BestRenderKernel())
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
        benchmark::RegisterBenchmark(("RenderAvx2/" + name).c_str(), RenderWith, view, kAvx2Kernel)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
        benchmark::RegisterBenchmark(("RenderSse2/" + name).c_str(), RenderWith, view, kSse2Kernel)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.3);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
