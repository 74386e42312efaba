// AVX-512F primitives for the kernels: eight doubles per register, lane masks
// in mask registers. Compiled for AVX-512F and POPCNT in the region this
// header opens.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "core/kernel/lane_tag.h"

// This header picks the instruction set of every kernel header after it.
#ifdef KERNEL_BEGIN
#error "the instruction set's header must come before the other kernel headers"
#endif
#define KERNEL_ISA_AVX512
#include "core/kernel/isa_region.h"

KERNEL_BEGIN

struct Avx512 {
    using Vec = __m512d;
    using Ints = __m512i;
    using Mask = __mmask8;  // the lanes still running
    using Order = __m512i;  // which loaded value goes to which lane
    static constexpr int kLanes = 8;
    static constexpr Mask kAll = 0xFF;

    static Vec Load(const double* p) { return _mm512_loadu_pd(p); }
    static void Store(double* p, Vec v) { _mm512_storeu_pd(p, v); }
    static Vec Set1(double x) { return _mm512_set1_pd(x); }
    static Vec Add(Vec a, Vec b) { return _mm512_add_pd(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm512_sub_pd(a, b); }
    static Vec Mul(Vec a, Vec b) { return _mm512_mul_pd(a, b); }

    static Ints LoadInts(const std::int64_t* p) { return _mm512_loadu_si512(p); }
    static void StoreInts(std::int64_t* p, Ints v) { _mm512_storeu_si512(p, v); }
    static Ints Set1Ints(std::int64_t x) { return _mm512_set1_epi64(x); }
    static Ints AddInts(Ints a, Ints b) { return _mm512_add_epi64(a, b); }
    static Ints AndInts(Ints a, Ints b) { return _mm512_and_si512(a, b); }
    static Ints OrInts(Ints a, Ints b) { return _mm512_or_si512(a, b); }
    static Ints SubInts(Ints a, Ints b) { return _mm512_sub_epi64(a, b); }
    // (Zero-masked forms with every lane on: see InsideField.)
    static Ints ShiftLeftInts(Ints v, int bits) { return _mm512_maskz_slli_epi64(kAll, v, bits); }
    static Ints ShiftRightInts(Ints v, int bits) { return _mm512_maskz_srli_epi64(kAll, v, bits); }
    static Vec Div(Vec a, Vec b) { return _mm512_div_pd(a, b); }
    static Vec Floor(Vec v) {
        return _mm512_maskz_roundscale_pd(kAll, v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    }
    static Vec AsVec(Ints v) { return _mm512_castsi512_pd(v); }
    static Ints AsInts(Vec v) { return _mm512_castpd_si512(v); }
    // first, first + 1, ... in the lanes.
    static Ints Sequence(std::int64_t first) {
        return _mm512_add_epi64(_mm512_set1_epi64(first), _mm512_set_epi64(7, 6, 5, 4, 3, 2, 1, 0));
    }
    static unsigned SignBits(Ints v) { return _mm512_cmplt_epi64_mask(v, _mm512_setzero_si512()); }
    // The lanes of v above x.
    static unsigned AboveBits(Ints v, Ints x) { return _mm512_cmpgt_epi64_mask(v, x); }

    static Mask Lanes(unsigned bits) { return static_cast<Mask>(bits); }
    static unsigned Bits(Mask m) { return m; }
    // The lanes whose tag is not negative, that is, that hold a point.
    static Mask LanesWithPoints(Ints tags) {
        return _mm512_cmpge_epi64_mask(tags, _mm512_setzero_si512());
    }
    // The lanes of a whose s is below the bound: the literal test, so NaN fails.
    static Mask KeepBelow(Mask a, Vec s, Vec bound) {
        return _mm512_mask_cmp_pd_mask(a, s, bound, _CMP_LT_OQ);
    }
    // One more pass for each lane in a.
    static Ints CountPass(Ints tags, Mask a) {
        return _mm512_mask_add_epi64(tags, a, tags, _mm512_set1_epi64(kPassUnit));
    }
    static unsigned EqualBits(Vec x, Vec px, Vec y, Vec py) {
        return _mm512_mask_cmp_pd_mask(_mm512_cmp_pd_mask(x, px, _CMP_EQ_OQ), y, py, _CMP_EQ_OQ);
    }

    // Expanding: the chosen lanes take consecutive values from memory.
    static Order ExpandOrder(unsigned lanes) {
        return _mm512_maskz_expand_epi64(Lanes(lanes), _mm512_set_epi64(7, 6, 5, 4, 3, 2, 1, 0));
    }
    static Vec ExpandFrom(Vec v, unsigned lanes, Order order, const double* from) {
        return _mm512_mask_permutexvar_pd(v, Lanes(lanes), order, _mm512_loadu_pd(from));
    }
    static Ints ExpandIntsFrom(Ints v, unsigned lanes, Order order, const std::int64_t* from) {
        return _mm512_mask_permutexvar_epi64(v, Lanes(lanes), order, _mm512_loadu_si512(from));
    }
    // Compressing: the chosen lanes go to consecutive slots; all 8 are written.
    // The register form: storing straight from a compress is slow on some CPUs.
    static void CompressTo(double* to, unsigned lanes, Vec v) {
        _mm512_storeu_pd(to, _mm512_maskz_compress_pd(Lanes(lanes), v));
    }
    static void CompressIntsTo(std::int64_t* to, unsigned lanes, Ints v) {
        _mm512_storeu_si512(to, _mm512_maskz_compress_epi64(Lanes(lanes), v));
    }
    static Vec ClearLanes(Vec v, unsigned lanes) {
        return _mm512_mask_mov_pd(v, Lanes(lanes), _mm512_setzero_pd());
    }
    static Ints BlendInts(unsigned lanes, Ints a, Ints b) {
        return _mm512_mask_mov_epi64(a, Lanes(lanes), b);
    }

    // InsideIndex of each lane's squared magnitude, moved to bit kIndexShift,
    // for magnitudes >= 0 or NaN (the only ones there are): the truncation of
    // anything out of range gives 0x80000000, whose low 15 bits are 0.
    // (The zero-masked forms with every lane on are the plain instructions;
    // the unmasked intrinsics trip GCC 12's maybe-uninitialized warning.)
    static Ints InsideField(Vec magnitude) {
        __m256i whole =
            _mm512_maskz_cvttpd_epi32(kAll, _mm512_mul_pd(magnitude, Set1(kInsideScale)));
        Ints index =
            _mm512_and_si512(_mm512_maskz_cvtepi32_epi64(kAll, whole), Set1Ints(kPaletteSize - 1));
        return _mm512_maskz_slli_epi64(kAll, index, kIndexShift);
    }
};

KERNEL_END
