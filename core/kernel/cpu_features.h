// What the processor and the operating system let the renderer use.
#pragma once

struct CpuFeatures {
    bool sse2;
    bool avx2;
    bool avx512f;
};

// Asks CPUID and, for the wide registers, XGETBV (the OS must save their
// state on a context switch). Everything is false on non-x86 builds.
CpuFeatures DetectCpuFeatures();
