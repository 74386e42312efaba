// Full-HD frames of the usual views: the literal per-pixel loop against
// RenderRegion as the program calls it, with the narrower kernels forced too,
// and the machine's ceiling for each kernel's instructions. Each kernel's
// efficiency is the time the literal passes of the frame would take at the
// ceiling over the time it took: above 1 only thanks to the exact shortcuts.
// The ceiling is sampled again just before every frame, near the kernel's
// best vector count: on a shared machine the speed of the whole core drifts,
// and a ceiling measured minutes earlier would move every efficiency with it.
// Other programs on the core only ever slow a frame or a sample down, and a
// frame (which goes through the caches) more than the ceiling (which stays in
// registers), so `efficiency` takes the fastest frame against the highest
// ceiling sample of the run; `efficiency_median` is the median of the frames'
// own efficiencies, each against the sample just before it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "core/escape.h"
#include "core/kernel/render_kernel.h"
#include "core/palette.h"
#include "core/render.h"
#include "core/view.h"
#include "tests/benchmark_views.h"
#include "tests/literal_render.h"

namespace {

constexpr std::int32_t kWidth = 1920;
constexpr std::int32_t kHeight = 1080;
// Passes per ceiling iteration: a few milliseconds whatever the vector count.
constexpr std::int64_t kCeilingPasses = 200000;
// How long each sample of the ceiling beside a frame runs, per vector count.
constexpr double kCeilingSampleSeconds = 0.0015;

// Lane-passes per second of each kernel's ceiling by vector count.
std::map<RenderKernel, std::map<int, double>> ceilingRates;
std::map<std::string, double> literalPasses;

double CpuSecondsSince(std::clock_t begin) {
    return static_cast<double>(std::clock() - begin) / CLOCKS_PER_SEC;
}

// The vector count at which the kernel's ceiling was highest, 0 if none was
// measured.
int BestCeilingVectors(RenderKernel kernel) {
    int best = 0;
    double bestRate = 0.0;
    for (const auto& entry : ceilingRates[kernel]) {
        if (entry.second > bestRate) {
            best = entry.first;
            bestRate = entry.second;
        }
    }
    return best;
}

// Lane-passes per second of the ceiling now, over a millisecond or two at
// each vector count next to the best one measured: on a busy machine the
// earlier measurement may have picked a count slightly off the best, and a
// low ceiling would flatter every kernel.
double SampleCeiling(RenderKernel kernel, int bestVectors) {
    double best = 0.0;
    for (int vectors = bestVectors - 1; vectors <= bestVectors + 1; ++vectors) {
        if (vectors < 1 || vectors > 8) {
            continue;
        }
        double lanes = static_cast<double>(vectors) * RenderKernelLanes(kernel);
        auto passes = static_cast<std::int64_t>(kCeilingSampleSeconds *
                                                ceilingRates[kernel][vectors] / lanes);
        passes = passes > 1000 ? passes : 1000;
        double checksum = 0.0;
        std::clock_t begin = std::clock();
        RunCeilingPasses(kernel, vectors, passes, &checksum);
        benchmark::DoNotOptimize(checksum);
        double seconds = CpuSecondsSince(begin);
        double rate = seconds > 0.0 ? static_cast<double>(passes) * lanes / seconds : 0.0;
        best = rate > best ? rate : best;
    }
    return best;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// The passes EscapeIndex runs over the whole frame, counted once per view.
double LiteralPasses(const View& view) {
    auto known = literalPasses.find(view.name);
    if (known != literalPasses.end()) {
        return known->second;
    }
    ShowView(view, kWidth);
    double total = 0.0;
    for (std::int32_t y = 0; y < kHeight; ++y) {
        for (std::int32_t x = 0; x < kWidth; ++x) {
            PlanePoint c = PixelToPoint(x, y);
            total += EscapePasses(c.cx, c.cy);
        }
    }
    literalPasses[view.name] = total;
    return total;
}

void RunCeiling(benchmark::State& state, RenderKernel kernel, int vectors) {
    double checksum = 0.0;
    std::clock_t begin = std::clock();
    for (auto _ : state) {
        RunCeilingPasses(kernel, vectors, kCeilingPasses, &checksum);
        benchmark::DoNotOptimize(checksum);
    }
    double seconds = CpuSecondsSince(begin);
    double lanePasses = static_cast<double>(kCeilingPasses) * vectors * RenderKernelLanes(kernel);
    state.counters["lane_passes"] =
        benchmark::Counter(lanePasses, benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel(RenderKernelName(kernel));
    // The reported run is the last and longest; the kernel's ceiling is its
    // best vector count.
    if (seconds > 0.0) {
        ceilingRates[kernel][vectors] =
            lanePasses * static_cast<double>(state.iterations()) / seconds;
    }
}

void RenderLiterally(benchmark::State& state, View view) {
    ShowView(view, kWidth);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
    for (auto _ : state) {
        ::RenderLiterally(Rect{0, 0, kWidth, kHeight}, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
}

void RenderWith(benchmark::State& state, View view, RenderKernel kernel) {
    SelectRenderKernel(kernel);
    RenderKernel active = ActiveRenderKernel();
    double passes = LiteralPasses(view);
    ShowView(view, kWidth);
    int vectors = BestCeilingVectors(active);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
    std::vector<double> efficiencies;
    double fastest = 0.0;
    double highest = 0.0;
    for (auto _ : state) {
        double ceiling = 0.0;
        if (vectors > 0) {
            state.PauseTiming();
            ceiling = SampleCeiling(active, vectors);
            state.ResumeTiming();
        }
        std::clock_t begin = std::clock();
        RenderRegion(Rect{0, 0, kWidth, kHeight}, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
        double seconds = CpuSecondsSince(begin);
        if (ceiling > 0.0 && seconds > 0.0) {
            // Seconds the frame's literal passes take at the ceiling, over
            // the seconds the frame took.
            efficiencies.push_back(passes / ceiling / seconds);
            fastest = fastest > 0.0 && fastest < seconds ? fastest : seconds;
            highest = highest > ceiling ? highest : ceiling;
        }
    }
    state.SetLabel(RenderKernelName(active));
    if (!efficiencies.empty()) {
        state.counters["efficiency"] = passes / highest / fastest;
        state.counters["efficiency_median"] = Median(efficiencies);
        state.counters["ceiling_G"] = highest / 1e9;
    }
}

void RegisterAll() {
    BuildPalette();
    for (RenderKernel kernel : {kAvx512Kernel, kAvx2Kernel, kSse2Kernel}) {
        if (!IsRenderKernelSupported(kernel)) {
            continue;
        }
        for (int vectors = 1; vectors <= 8; ++vectors) {
            std::string name =
                std::string("Ceiling/") + RenderKernelName(kernel) + "/" + std::to_string(vectors);
            benchmark::RegisterBenchmark(name.c_str(), RunCeiling, kernel, vectors)
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.3);
        }
    }
    for (const View& view : kBenchmarkViews) {
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
