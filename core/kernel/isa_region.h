// Where an instruction set's code lives. Every kernel header puts its code
// between KERNEL_BEGIN and KERNEL_END: in a namespace of the instruction set's
// own, with internal linkage, compiled for that set by a target region rather
// than by flags for the whole file. Standard and intrinsic headers are
// included before a region opens, so whatever the library defines inline is
// compiled for the baseline; and nothing in a region can be picked by the
// linker for another instruction set's code.
//
// The instruction set is chosen by its primitives header (isa_avx2.h, ...),
// which a kernel file includes before any other kernel header; without one
// the region is SSE2, the x86-64 baseline.
#pragma once

#if defined(KERNEL_ISA_AVX512)
#define KERNEL_NAMESPACE avx512
#define KERNEL_TARGET_GCC "GCC target(\"avx512f,popcnt\")"
#define KERNEL_TARGET_CLANG \
    "clang attribute push(__attribute__((target(\"avx512f,popcnt\"))), apply_to = function)"
#elif defined(KERNEL_ISA_AVX2)
#define KERNEL_NAMESPACE avx2
#define KERNEL_TARGET_GCC "GCC target(\"avx2,popcnt\")"
#define KERNEL_TARGET_CLANG \
    "clang attribute push(__attribute__((target(\"avx2,popcnt\"))), apply_to = function)"
#elif defined(KERNEL_ISA_WASM128)
#define KERNEL_NAMESPACE wasm128
#else
#define KERNEL_ISA_SSE2
#define KERNEL_NAMESPACE sse2
#endif

#if defined(KERNEL_ISA_SSE2) || defined(KERNEL_ISA_WASM128) || \
    (defined(_MSC_VER) && !defined(__clang__))
// The baseline needs no target; MSVC compiles any intrinsic without one. A
// WebAssembly module has one instruction set for all its code: the build
// with vectors compiles everything with them.
#define KERNEL_BEGIN \
    namespace {      \
    namespace KERNEL_NAMESPACE {
#define KERNEL_END \
    }              \
    }
#elif defined(__clang__)
#define KERNEL_BEGIN                         \
    _Pragma(KERNEL_TARGET_CLANG) namespace { \
        namespace KERNEL_NAMESPACE {
#define KERNEL_END \
    }              \
    }              \
    _Pragma("clang attribute pop")
#else
#define KERNEL_BEGIN                                                   \
    _Pragma("GCC push_options") _Pragma(KERNEL_TARGET_GCC) namespace { \
        namespace KERNEL_NAMESPACE {
#define KERNEL_END \
    }              \
    }              \
    _Pragma("GCC pop_options")
#endif

#if defined(_MSC_VER) && !defined(__clang__)
#define KERNEL_INLINE __forceinline
#else
#define KERNEL_INLINE inline __attribute__((always_inline))
#endif
