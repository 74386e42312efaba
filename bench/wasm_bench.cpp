// The full-HD benchmark frames as WebAssembly, run under Node: the literal
// per-pixel loop and RenderRegion with the 128-bit vector kernel, each the
// median of several frames in one process. Google Benchmark has no
// WebAssembly build here, so the frames are timed in Node's own CPU time of
// the process (the machine may be shared); compare with mandelbrot_bench's
// Literal and RenderSse2 CPU times on the same machine.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/kernel/render_kernel.h"
#include "core/palette.h"
#include "core/render.h"
#include "core/view.h"
#include "tests/literal_render.h"

namespace {

constexpr std::int32_t kWidth = 1920;
constexpr std::int32_t kHeight = 1080;
constexpr int kFrames = 5;

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

// clang-format off
EM_JS(double, CpuMilliseconds, (), {
    const used = process.cpuUsage();
    return (used.user + used.system) / 1000;
});
// clang-format on

template <typename Render>
double MedianMilliseconds(Render render) {
    std::vector<double> times;
    for (int i = 0; i < kFrames; ++i) {
        const double begin = CpuMilliseconds();
        render();
        times.push_back(CpuMilliseconds() - begin);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    BuildPalette();
    SelectRenderKernel(kWasm128Kernel);
    std::printf("kernel: %s; %dx%d, median of %d frames\n", RenderKernelName(ActiveRenderKernel()),
                kWidth, kHeight, kFrames);
    std::printf("%-10s %12s %12s %8s\n", "view", "literal ms", "kernel ms", "ratio");
    const Rect frame{0, 0, kWidth, kHeight};
    std::vector<std::uint32_t> literal(static_cast<std::size_t>(kWidth) * kHeight);
    std::vector<std::uint32_t> rendered(literal.size());
    for (const View& view : kViews) {
        reLeft = view.reLeft;
        imOffset = view.imOffset;
        reSpan = view.reSpan;
        UpdateScales(kWidth);
        const double literalMs =
            MedianMilliseconds([&] { RenderLiterally(frame, literal.data()); });
        const double kernelMs = MedianMilliseconds([&] { RenderRegion(frame, rendered.data()); });
        // A kernel that gave other pixels would be timed for nothing.
        const char* note = literal == rendered ? "" : "  (pixels differ!)";
        std::printf("%-10s %12.1f %12.1f %8.2f%s\n", view.name, literalMs, kernelMs,
                    literalMs / kernelMs, note);
    }
    return 0;
}
