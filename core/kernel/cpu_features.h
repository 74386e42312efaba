// What the processor and the operating system let the renderer use.
#pragma once

struct CpuFeatures {
    bool sse2;
    bool avx2;
    bool avx512f;
    // WebAssembly builds always have the 128-bit vectors: a module that uses
    // them does not load where they are missing.
    bool wasm128;
};

// Asks CPUID and, for the wide registers, XGETBV (the OS must save their
// state on a context switch). Everything x86 is false on other builds.
CpuFeatures DetectCpuFeatures();
