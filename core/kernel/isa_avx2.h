// AVX2 primitives for the kernels: four doubles per register. Compiled for
// AVX2 and POPCNT in the region this header opens (no FMA: the passes must
// round like EscapeIndex).
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "core/kernel/lane_tag.h"

// This header picks the instruction set of every kernel header after it.
#ifdef KERNEL_BEGIN
#error "the instruction set's header must come before the other kernel headers"
#endif
#define KERNEL_ISA_AVX2
#include "core/kernel/isa_region.h"

KERNEL_BEGIN

// Per lane mask, the 32-bit halves that bring the first loaded values to the
// masked lanes in order (expanding), or the masked lanes to the front
// (compressing).
struct LaneOrders {
    std::int32_t expand[16][8];
    std::int32_t compress[16][8];
};

constexpr LaneOrders MakeLaneOrders() {
    LaneOrders orders{};
    for (int mask = 0; mask < 16; ++mask) {
        int next = 0;
        for (int lane = 0; lane < 4; ++lane) {
            int from = (mask >> lane & 1) != 0 ? next++ : lane;
            orders.expand[mask][2 * lane] = 2 * from;
            orders.expand[mask][2 * lane + 1] = 2 * from + 1;
        }
        int slot = 0;
        for (int lane = 0; lane < 4; ++lane) {
            if ((mask >> lane & 1) != 0) {
                orders.compress[mask][2 * slot] = 2 * lane;
                orders.compress[mask][2 * slot + 1] = 2 * lane + 1;
                slot = slot + 1;
            }
        }
    }
    return orders;
}

alignas(32) constexpr LaneOrders kLaneOrders = MakeLaneOrders();

struct Avx2 {
    using Vec = __m256d;
    using Ints = __m256i;
    // The lanes still running hold kPassUnit, the others zero, so counting a
    // pass is one integer add.
    using Mask = __m256i;
    using Order = __m256i;
    static constexpr int kLanes = 4;

    static Vec Load(const double* p) { return _mm256_loadu_pd(p); }
    static void Store(double* p, Vec v) { _mm256_storeu_pd(p, v); }
    static Vec Set1(double x) { return _mm256_set1_pd(x); }
    static Vec Add(Vec a, Vec b) { return _mm256_add_pd(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm256_sub_pd(a, b); }
    static Vec Mul(Vec a, Vec b) { return _mm256_mul_pd(a, b); }

    static Ints LoadInts(const std::int64_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    static void StoreInts(std::int64_t* p, Ints v) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
    }
    static Ints Set1Ints(std::int64_t x) { return _mm256_set1_epi64x(x); }
    static Ints AddInts(Ints a, Ints b) { return _mm256_add_epi64(a, b); }
    static Ints AndInts(Ints a, Ints b) { return _mm256_and_si256(a, b); }
    static Ints OrInts(Ints a, Ints b) { return _mm256_or_si256(a, b); }
    static Ints SubInts(Ints a, Ints b) { return _mm256_sub_epi64(a, b); }
    static Ints ShiftLeftInts(Ints v, int bits) { return _mm256_slli_epi64(v, bits); }
    static Ints ShiftRightInts(Ints v, int bits) { return _mm256_srli_epi64(v, bits); }
    static Vec Div(Vec a, Vec b) { return _mm256_div_pd(a, b); }
    static Vec Floor(Vec v) { return _mm256_floor_pd(v); }
    static Vec AsVec(Ints v) { return _mm256_castsi256_pd(v); }
    static Ints AsInts(Vec v) { return _mm256_castpd_si256(v); }
    static Ints Sequence(std::int64_t first) {
        return _mm256_add_epi64(_mm256_set1_epi64x(first), _mm256_setr_epi64x(0, 1, 2, 3));
    }
    static unsigned SignBits(Ints v) {
        return static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(v)));
    }
    static unsigned AboveBits(Ints v, Ints x) { return SignBits(_mm256_cmpgt_epi64(v, x)); }

    // All ones in each chosen lane.
    static Ints LaneMask(unsigned bits) {
        const __m256i bit = _mm256_setr_epi64x(1, 2, 4, 8);
        return _mm256_cmpeq_epi64(_mm256_and_si256(_mm256_set1_epi64x(bits), bit), bit);
    }
    static Mask Lanes(unsigned bits) {
        return _mm256_and_si256(LaneMask(bits), _mm256_set1_epi64x(kPassUnit));
    }
    // The lanes whose tag is not negative, that is, that hold a point.
    static Mask LanesWithPoints(Ints tags) {
        __m256i negative = _mm256_cmpgt_epi64(_mm256_setzero_si256(), tags);
        return _mm256_andnot_si256(negative, _mm256_set1_epi64x(kPassUnit));
    }
    // kPassUnit moved up to the sign bit.
    static unsigned Bits(Mask m) { return SignBits(_mm256_slli_epi64(m, 8)); }
    static Mask KeepBelow(Mask a, Vec s, Vec bound) {
        return _mm256_and_si256(a, _mm256_castpd_si256(_mm256_cmp_pd(s, bound, _CMP_LT_OQ)));
    }
    static Ints CountPass(Ints tags, Mask a) { return _mm256_add_epi64(tags, a); }
    static unsigned EqualBits(Vec x, Vec px, Vec y, Vec py) {
        Vec same =
            _mm256_and_pd(_mm256_cmp_pd(x, px, _CMP_EQ_OQ), _mm256_cmp_pd(y, py, _CMP_EQ_OQ));
        return static_cast<unsigned>(_mm256_movemask_pd(same));
    }

    static Order ExpandOrder(unsigned lanes) {
        return _mm256_load_si256(reinterpret_cast<const __m256i*>(kLaneOrders.expand[lanes]));
    }
    static Vec ExpandFrom(Vec v, unsigned lanes, Order order, const double* from) {
        __m256 spread = _mm256_permutevar8x32_ps(_mm256_castpd_ps(_mm256_loadu_pd(from)), order);
        return _mm256_blendv_pd(v, _mm256_castps_pd(spread), _mm256_castsi256_pd(LaneMask(lanes)));
    }
    static Ints ExpandIntsFrom(Ints v, unsigned lanes, Order order, const std::int64_t* from) {
        __m256i spread = _mm256_permutevar8x32_epi32(LoadInts(from), order);
        return BlendInts(lanes, v, spread);
    }
    static void CompressTo(double* to, unsigned lanes, Vec v) {
        __m256 packed = _mm256_permutevar8x32_ps(_mm256_castpd_ps(v), CompressOrder(lanes));
        _mm256_storeu_pd(to, _mm256_castps_pd(packed));
    }
    static void CompressIntsTo(std::int64_t* to, unsigned lanes, Ints v) {
        StoreInts(to, _mm256_permutevar8x32_epi32(v, CompressOrder(lanes)));
    }
    static Vec ClearLanes(Vec v, unsigned lanes) {
        return _mm256_andnot_pd(_mm256_castsi256_pd(LaneMask(lanes)), v);
    }
    static Ints BlendInts(unsigned lanes, Ints a, Ints b) {
        return _mm256_castpd_si256(_mm256_blendv_pd(_mm256_castsi256_pd(a), _mm256_castsi256_pd(b),
                                                    _mm256_castsi256_pd(LaneMask(lanes))));
    }

    // As for AVX-512: InsideIndex for magnitudes >= 0 or NaN, at kIndexShift.
    static Ints InsideField(Vec magnitude) {
        __m128i whole = _mm256_cvttpd_epi32(_mm256_mul_pd(magnitude, Set1(kInsideScale)));
        Ints index = _mm256_and_si256(_mm256_cvtepi32_epi64(whole), Set1Ints(kPaletteSize - 1));
        return _mm256_slli_epi64(index, kIndexShift);
    }

   private:
    static __m256i CompressOrder(unsigned lanes) {
        return _mm256_load_si256(reinterpret_cast<const __m256i*>(kLaneOrders.compress[lanes]));
    }
};

KERNEL_END
