#include "core/kernel/cpu_features.h"

#include <cstdint>

#if defined(__x86_64__) || defined(_M_X64)
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#else
#include <cpuid.h>
#endif

namespace {

struct CpuidRegisters {
    std::uint32_t eax;
    std::uint32_t ebx;
    std::uint32_t ecx;
    std::uint32_t edx;
};

CpuidRegisters QueryCpuid(std::uint32_t leaf, std::uint32_t subleaf) {
    CpuidRegisters r{0, 0, 0, 0};
#if defined(_MSC_VER) && !defined(__clang__)
    int values[4];
    __cpuidex(values, static_cast<int>(leaf), static_cast<int>(subleaf));
    r.eax = static_cast<std::uint32_t>(values[0]);
    r.ebx = static_cast<std::uint32_t>(values[1]);
    r.ecx = static_cast<std::uint32_t>(values[2]);
    r.edx = static_cast<std::uint32_t>(values[3]);
#else
    __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
#endif
    return r;
}

// Only valid once CPUID has reported OSXSAVE.
std::uint64_t ReadEnabledStateComponents() {
#if defined(_MSC_VER) && !defined(__clang__)
    return _xgetbv(0);
#else
    // Inline assembly rather than _xgetbv, which GCC only offers with -mxsave.
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (static_cast<std::uint64_t>(high) << 32) | low;
#endif
}

constexpr std::uint32_t kOsxsaveBit = 1u << 27;  // leaf 1, ECX
constexpr std::uint32_t kAvxBit = 1u << 28;      // leaf 1, ECX
constexpr std::uint32_t kPopcntBit = 1u << 23;   // leaf 1, ECX
constexpr std::uint32_t kAvx2Bit = 1u << 5;      // leaf 7, EBX
constexpr std::uint32_t kAvx512fBit = 1u << 16;  // leaf 7, EBX

// XCR0: SSE and AVX register state; then opmask, upper ZMM0-15 and ZMM16-31.
constexpr std::uint64_t kYmmState = 0x6;
constexpr std::uint64_t kZmmState = 0xE6;

}  // namespace

CpuFeatures DetectCpuFeatures() {
    // SSE2 is part of x86-64 itself.
    CpuFeatures features{true, false, false, false};
    std::uint32_t maxLeaf = QueryCpuid(0, 0).eax;
    if (maxLeaf < 7) {
        return features;
    }
    CpuidRegisters leaf1 = QueryCpuid(1, 0);
    // The wide kernels also count lanes with POPCNT, which every CPU with
    // AVX2 has; checked all the same.
    constexpr std::uint32_t kNeeded = kOsxsaveBit | kAvxBit | kPopcntBit;
    if ((leaf1.ecx & kNeeded) != kNeeded) {
        return features;
    }
    std::uint64_t enabled = ReadEnabledStateComponents();
    CpuidRegisters leaf7 = QueryCpuid(7, 0);
    features.avx2 = (enabled & kYmmState) == kYmmState && (leaf7.ebx & kAvx2Bit) != 0;
    features.avx512f = (enabled & kZmmState) == kZmmState && (leaf7.ebx & kAvx512fBit) != 0;
    return features;
}

#else

CpuFeatures DetectCpuFeatures() {
#if defined(__wasm__)
    return CpuFeatures{false, false, false, true};
#else
    return CpuFeatures{false, false, false, false};
#endif
}

#endif
