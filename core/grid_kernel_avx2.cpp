// Four points per instruction with AVX2 (no FMA: the passes must round like
// EscapeIndex). Only called once the CPU and OS are known to support it.
#include "core/point_grid.h"

#if defined(__x86_64__) || defined(_M_X64)

#include <immintrin.h>

namespace {

struct Avx2 {
    using Vec = __m256d;
    using Mask = __m256d;
    static constexpr bool kRefillsWholeVectors = false;
    static constexpr int kLanes = 4;

    static Vec Load(const double* p) { return _mm256_loadu_pd(p); }
    static void Store(double* p, Vec v) { _mm256_storeu_pd(p, v); }
    static Vec Set1(double x) { return _mm256_set1_pd(x); }
    static Vec Add(Vec a, Vec b) { return _mm256_add_pd(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm256_sub_pd(a, b); }
    static Vec Mul(Vec a, Vec b) { return _mm256_mul_pd(a, b); }
    static Vec Max(Vec a, Vec b) { return _mm256_max_pd(a, b); }
    // Lanes of a still below the bound: the literal test, so NaN leaves.
    static Mask KeepBelow(Mask a, Vec s, Vec bound) {
        return _mm256_and_pd(a, _mm256_cmp_pd(s, bound, _CMP_LT_OQ));
    }
    static Mask AtLeast(Vec a, Vec b) { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
    static Mask SameZ(Vec zx, Vec px, Vec zy, Vec py) {
        return _mm256_and_pd(_mm256_cmp_pd(zx, px, _CMP_EQ_OQ), _mm256_cmp_pd(zy, py, _CMP_EQ_OQ));
    }
    static Mask And(Mask a, Mask b) { return _mm256_and_pd(a, b); }
    static Mask MaskFromBits(unsigned lanes) { return LaneMask(lanes); }
    static unsigned Bits(Mask m) { return static_cast<unsigned>(_mm256_movemask_pd(m)); }
    static Vec Increment(Vec n, Mask a) { return _mm256_add_pd(n, _mm256_and_pd(a, Set1(1.0))); }
    static double HorizontalMax(Vec v) {
        __m128d half = _mm_max_pd(_mm256_castpd256_pd128(v), _mm256_extractf128_pd(v, 1));
        return _mm_cvtsd_f64(_mm_max_sd(half, _mm_unpackhi_pd(half, half)));
    }
    static Vec LaneMask(unsigned lanes) {
        const __m256i bit = _mm256_setr_epi64x(1, 2, 4, 8);
        __m256i selected = _mm256_and_si256(_mm256_set1_epi64x(lanes), bit);
        return _mm256_castsi256_pd(_mm256_cmpeq_epi64(selected, bit));
    }
    static Vec InsertLane(Vec v, int lane, double x) {
        return _mm256_blendv_pd(v, _mm256_set1_pd(x), LaneMask(1u << lane));
    }
    static Vec ClearLanes(Vec v, unsigned lanes) { return _mm256_andnot_pd(LaneMask(lanes), v); }
};

}  // namespace

#include "core/grid_kernel_body.h"

void RenderGridAvx2(const PointGrid& grid, std::uint32_t* out) {
    RenderGridWith<Avx2, 4>(grid, out);
}

#endif
