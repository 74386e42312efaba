#include "core/kernel/render_kernel.h"

#include <initializer_list>

#include "core/kernel/cpu_features.h"
#include "core/kernel/point_grid.h"

namespace {

bool kernelSelected = false;
RenderKernel activeKernel = kScalarKernel;

const CpuFeatures& Features() {
    static const CpuFeatures features = DetectCpuFeatures();
    return features;
}

}  // namespace

bool IsRenderKernelSupported(RenderKernel kernel) {
    switch (kernel) {
        case kScalarKernel:
            return true;
        case kSse2Kernel:
            return Features().sse2;
        case kAvx2Kernel:
            return Features().avx2;
        case kAvx512Kernel:
            return Features().avx512f;
        case kWasm128Kernel:
            return Features().wasm128;
    }
    return false;
}

RenderKernel BestRenderKernel() {
    for (RenderKernel kernel : {kAvx512Kernel, kAvx2Kernel, kSse2Kernel, kWasm128Kernel}) {
        if (IsRenderKernelSupported(kernel)) {
            return kernel;
        }
    }
    return kScalarKernel;
}

void SelectRenderKernel(RenderKernel kernel) {
    activeKernel = IsRenderKernelSupported(kernel) ? kernel : BestRenderKernel();
    kernelSelected = true;
}

RenderKernel ActiveRenderKernel() {
    if (!kernelSelected) {
        SelectRenderKernel(BestRenderKernel());
    }
    return activeKernel;
}

void RenderGrid(const PointGrid& grid, std::uint32_t* out) {
    switch (ActiveRenderKernel()) {
#if defined(__x86_64__) || defined(_M_X64)
        case kSse2Kernel:
            RenderGridSse2(grid, out);
            return;
        case kAvx2Kernel:
            RenderGridAvx2(grid, out);
            return;
        case kAvx512Kernel:
            RenderGridAvx512(grid, out);
            return;
#endif
#if defined(__wasm__)
        case kWasm128Kernel:
            RenderGridWasm128(grid, out);
            return;
#endif
        default:
            RenderGridScalar(grid, out);
            return;
    }
}

int RenderKernelLanes(RenderKernel kernel) {
    switch (kernel) {
        case kScalarKernel:
            return 1;
        case kSse2Kernel:
        case kWasm128Kernel:
            return 2;
        case kAvx2Kernel:
            return 4;
        case kAvx512Kernel:
            return 8;
    }
    return 1;
}

bool RunCeilingPasses(RenderKernel kernel, int vectors, std::int64_t passes, double* checksum) {
    if (!IsRenderKernelSupported(kernel) || vectors < 1 || vectors > 8) {
        return false;
    }
    switch (kernel) {
#if defined(__x86_64__) || defined(_M_X64)
        case kSse2Kernel:
            *checksum = RunCeilingSse2(vectors, passes);
            return true;
        case kAvx2Kernel:
            *checksum = RunCeilingAvx2(vectors, passes);
            return true;
        case kAvx512Kernel:
            *checksum = RunCeilingAvx512(vectors, passes);
            return true;
#endif
#if defined(__wasm__)
        case kWasm128Kernel:
            *checksum = RunCeilingWasm128(vectors, passes);
            return true;
#endif
        default:
            return false;
    }
}

const char* RenderKernelName(RenderKernel kernel) {
    switch (kernel) {
        case kScalarKernel:
            return "scalar";
        case kSse2Kernel:
            return "SSE2";
        case kAvx2Kernel:
            return "AVX2";
        case kAvx512Kernel:
            return "AVX-512";
        case kWasm128Kernel:
            return "WebAssembly SIMD128";
    }
    return "unknown";
}
