// Eight points per instruction with AVX-512F. Built with AVX-512F code
// generation; only called once the CPU and OS are known to support it.
#include "core/point_grid.h"

#if defined(__x86_64__) || defined(_M_X64)

#include <immintrin.h>

namespace {

struct Avx512 {
    using Vec = __m512d;
    using Mask = __mmask8;
    static constexpr int kLanes = 8;

    static Vec Load(const double* p) { return _mm512_loadu_pd(p); }
    static void Store(double* p, Vec v) { _mm512_storeu_pd(p, v); }
    static Vec Set1(double x) { return _mm512_set1_pd(x); }
    static Vec Add(Vec a, Vec b) { return _mm512_add_pd(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm512_sub_pd(a, b); }
    static Vec Mul(Vec a, Vec b) { return _mm512_mul_pd(a, b); }
    // The zero-masked form with every lane on is plain vmaxpd; the unmasked
    // intrinsic trips GCC 12's maybe-uninitialized warning inside its header.
    static Vec Max(Vec a, Vec b) { return _mm512_maskz_max_pd(static_cast<Mask>(0xFF), a, b); }
    // Lanes of a still below the bound: the literal test, so NaN leaves.
    static Mask KeepBelow(Mask a, Vec s, Vec bound) {
        return _mm512_mask_cmp_pd_mask(a, s, bound, _CMP_LT_OQ);
    }
    static Mask AtLeast(Vec a, Vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_GE_OQ); }
    static Mask SameZ(Vec zx, Vec px, Vec zy, Vec py) {
        return _mm512_mask_cmp_pd_mask(_mm512_cmp_pd_mask(zx, px, _CMP_EQ_OQ), zy, py, _CMP_EQ_OQ);
    }
    static Mask And(Mask a, Mask b) { return static_cast<Mask>(a & b); }
    static Mask MaskFromBits(unsigned lanes) { return static_cast<Mask>(lanes); }
    static unsigned Bits(Mask m) { return m; }
    static Vec Increment(Vec n, Mask a) { return _mm512_mask_add_pd(n, a, n, Set1(1.0)); }
    static double HorizontalMax(Vec v) {
        // Through memory: GCC 12's 512-to-256-bit extracts trip its own
        // maybe-uninitialized warning, and this runs once per block only.
        double lanes[kLanes];
        Store(lanes, v);
        double most = lanes[0];
        for (double lane : lanes) {
            most = lane > most ? lane : most;
        }
        return most;
    }
    static Vec InsertLane(Vec v, int lane, double x) {
        return _mm512_mask_broadcastsd_pd(v, static_cast<Mask>(1u << lane), _mm_set_sd(x));
    }
    static Vec ClearLanes(Vec v, unsigned lanes) {
        return _mm512_maskz_mov_pd(static_cast<Mask>(~lanes), v);
    }
};

}  // namespace

#include "core/grid_kernel_body.h"

void RenderGridAvx512(const PointGrid& grid, std::uint32_t* out) {
    RenderGridWith<Avx512, 4>(grid, out);
}

#endif
