// SSE2 primitives for the kernels: two doubles per register, on every x86-64
// processor. With two lanes, expanding and compressing are blends.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "core/kernel/isa_region.h"
#include "core/kernel/lane_tag.h"

#ifndef KERNEL_ISA_SSE2
#error "SSE2 code in another instruction set's region"
#endif

KERNEL_BEGIN

struct Sse2 {
    using Vec = __m128d;
    using Ints = __m128i;
    // The lanes still running hold kPassUnit, the others zero.
    using Mask = __m128i;
    // All ones where the lane mask is just the upper lane: then the first
    // value goes there (expanding) or comes from there (compressing).
    using Order = __m128i;
    static constexpr int kLanes = 2;

    static Vec Load(const double* p) { return _mm_loadu_pd(p); }
    static void Store(double* p, Vec v) { _mm_storeu_pd(p, v); }
    static Vec Set1(double x) { return _mm_set1_pd(x); }
    static Vec Add(Vec a, Vec b) { return _mm_add_pd(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm_sub_pd(a, b); }
    static Vec Mul(Vec a, Vec b) { return _mm_mul_pd(a, b); }

    static Ints LoadInts(const std::int64_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    static void StoreInts(std::int64_t* p, Ints v) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    }
    static Ints Set1Ints(std::int64_t x) { return _mm_set1_epi64x(x); }
    static Ints AddInts(Ints a, Ints b) { return _mm_add_epi64(a, b); }
    static Ints AndInts(Ints a, Ints b) { return _mm_and_si128(a, b); }
    static Ints OrInts(Ints a, Ints b) { return _mm_or_si128(a, b); }
    static Ints SubInts(Ints a, Ints b) { return _mm_sub_epi64(a, b); }
    static Ints ShiftLeftInts(Ints v, int bits) { return _mm_slli_epi64(v, bits); }
    static Ints ShiftRightInts(Ints v, int bits) { return _mm_srli_epi64(v, bits); }
    static Vec Div(Vec a, Vec b) { return _mm_div_pd(a, b); }
    // SSE2 has no rounding instruction. For 0 <= v < 2^52 adding and taking
    // away 2^52 rounds to the nearest whole number; one less if that is above.
    static Vec Floor(Vec v) {
        const Vec bias = _mm_set1_pd(kWholeBias);
        Vec nearest = _mm_sub_pd(_mm_add_pd(v, bias), bias);
        return _mm_sub_pd(nearest, _mm_and_pd(_mm_cmpgt_pd(nearest, v), _mm_set1_pd(1.0)));
    }
    static Vec AsVec(Ints v) { return _mm_castsi128_pd(v); }
    static Ints AsInts(Vec v) { return _mm_castpd_si128(v); }
    static Ints Sequence(std::int64_t first) {
        return _mm_add_epi64(_mm_set1_epi64x(first), _mm_set_epi64x(1, 0));
    }
    static unsigned SignBits(Ints v) {
        return static_cast<unsigned>(_mm_movemask_pd(_mm_castsi128_pd(v)));
    }
    // SSE2 has no 64-bit compare: the sign of x - v, for tags, whose
    // differences never overflow.
    static unsigned AboveBits(Ints v, Ints x) { return SignBits(_mm_sub_epi64(x, v)); }

    static Ints LaneMask(unsigned bits) {
        return _mm_set_epi64x((bits & 2u) != 0 ? -1 : 0, (bits & 1u) != 0 ? -1 : 0);
    }
    static Mask Lanes(unsigned bits) {
        return _mm_and_si128(LaneMask(bits), _mm_set1_epi64x(kPassUnit));
    }
    // The lanes whose tag is not negative, that is, that hold a point.
    static Mask LanesWithPoints(Ints tags) {
        __m128i negative = _mm_shuffle_epi32(_mm_srai_epi32(tags, 31), _MM_SHUFFLE(3, 3, 1, 1));
        return _mm_andnot_si128(negative, _mm_set1_epi64x(kPassUnit));
    }
    static unsigned Bits(Mask m) { return SignBits(_mm_slli_epi64(m, 8)); }
    static Mask KeepBelow(Mask a, Vec s, Vec bound) {
        return _mm_and_si128(a, _mm_castpd_si128(_mm_cmplt_pd(s, bound)));
    }
    static Ints CountPass(Ints tags, Mask a) { return _mm_add_epi64(tags, a); }
    static unsigned EqualBits(Vec x, Vec px, Vec y, Vec py) {
        return static_cast<unsigned>(
            _mm_movemask_pd(_mm_and_pd(_mm_cmpeq_pd(x, px), _mm_cmpeq_pd(y, py))));
    }

    static Order ExpandOrder(unsigned lanes) { return lanes == 2u ? LaneMask(3) : LaneMask(0); }
    static Vec ExpandFrom(Vec v, unsigned lanes, Order order, const double* from) {
        Vec loaded = _mm_loadu_pd(from);
        return Select(LaneMask(lanes), v, Select(order, loaded, _mm_unpacklo_pd(loaded, loaded)));
    }
    static Ints ExpandIntsFrom(Ints v, unsigned lanes, Order order, const std::int64_t* from) {
        Ints loaded = LoadInts(from);
        return BlendInts(lanes, v, SelectInts(order, loaded, _mm_unpacklo_epi64(loaded, loaded)));
    }
    static void CompressTo(double* to, unsigned lanes, Vec v) {
        _mm_storeu_pd(to, Select(ExpandOrder(lanes), v, _mm_unpackhi_pd(v, v)));
    }
    static void CompressIntsTo(std::int64_t* to, unsigned lanes, Ints v) {
        StoreInts(to, SelectInts(ExpandOrder(lanes), v, _mm_unpackhi_epi64(v, v)));
    }
    static Vec ClearLanes(Vec v, unsigned lanes) {
        return _mm_andnot_pd(_mm_castsi128_pd(LaneMask(lanes)), v);
    }
    static Ints BlendInts(unsigned lanes, Ints a, Ints b) {
        return SelectInts(LaneMask(lanes), a, b);
    }

    // As for the wider sets: InsideIndex for magnitudes >= 0 or NaN.
    static Ints InsideField(Vec magnitude) {
        __m128i whole = _mm_cvttpd_epi32(_mm_mul_pd(magnitude, Set1(kInsideScale)));
        Ints index = _mm_and_si128(_mm_unpacklo_epi32(whole, _mm_setzero_si128()),
                                   Set1Ints(kPaletteSize - 1));
        return _mm_slli_epi64(index, kIndexShift);
    }

   private:
    // b where choose is all ones, else a.
    static Vec Select(Ints choose, Vec a, Vec b) {
        Vec mask = _mm_castsi128_pd(choose);
        return _mm_or_pd(_mm_andnot_pd(mask, a), _mm_and_pd(mask, b));
    }
    static Ints SelectInts(Ints choose, Ints a, Ints b) {
        return _mm_or_si128(_mm_andnot_si128(choose, a), _mm_and_si128(choose, b));
    }
};

KERNEL_END
