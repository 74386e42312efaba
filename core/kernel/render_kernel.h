// Which implementation of the escape iteration the renderer runs. Every kernel
// gives exactly the pixels of EscapeIndex; they differ only in speed.
#pragma once

#include <cstdint>

enum RenderKernel : std::int32_t {
    kScalarKernel,   // EscapeIndex per pixel; every processor
    kSse2Kernel,     // 2 pixels per instruction; every x86-64 processor
    kAvx2Kernel,     // 4 pixels per instruction
    kAvx512Kernel,   // 8 pixels per instruction (AVX-512F)
    kWasm128Kernel,  // 2 pixels per instruction; WebAssembly builds with 128-bit vectors
};

bool IsRenderKernelSupported(RenderKernel kernel);

// A short human-readable name, such as "AVX2".
const char* RenderKernelName(RenderKernel kernel);

// The fastest kernel this processor and operating system support.
RenderKernel BestRenderKernel();

// Makes RenderRegion use kernel from now on; an unsupported kernel selects
// BestRenderKernel() instead.
void SelectRenderKernel(RenderKernel kernel);

// The kernel RenderRegion uses; the first call picks BestRenderKernel() when
// none has been selected.
RenderKernel ActiveRenderKernel();

// Points one instruction of the kernel works on.
int RenderKernelLanes(RenderKernel kernel);

// For measuring the machine's ceiling: runs passes literal passes on
// never-escaping lanes of vectors vectors (1 ... 8) side by side, with the
// kernel's instructions; false if the kernel has no vectors or is not
// supported. *checksum only keeps the work from being optimised away.
bool RunCeilingPasses(RenderKernel kernel, int vectors, std::int64_t passes, double* checksum);
