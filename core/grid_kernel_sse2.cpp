// Two points per instruction with SSE2, which every x86-64 processor has.
#include "core/point_grid.h"

#if defined(__x86_64__) || defined(_M_X64)

#include <emmintrin.h>

namespace {

struct Sse2 {
    using Vec = __m128d;
    // A lane mask is 1.0 in each chosen lane and 0.0 elsewhere, so counting
    // passes is one add and keeping lanes one and.
    using Mask = __m128d;
    static constexpr bool kRefillsWholeVectors = false;
    // Passes between collections of finished lanes; orbits are compared with
    // their checkpoints at the same beat. Collecting lanes costs more without mask registers, so
    // blocks are longer.
    static constexpr std::int64_t kBlockPasses = 12;
    static constexpr std::int64_t kCheckingBlockPasses = 12;
    // Finished lanes are collected and refilled as soon as one has finished.
    static constexpr int kLanesToCollect = 1;
    static constexpr int kLanesToRefill = 1;
    static constexpr int kLanes = 2;

    static Vec Load(const double* p) { return _mm_loadu_pd(p); }
    static void Store(double* p, Vec v) { _mm_storeu_pd(p, v); }
    static Vec Set1(double x) { return _mm_set1_pd(x); }
    static Vec Add(Vec a, Vec b) { return _mm_add_pd(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm_sub_pd(a, b); }
    static Vec Mul(Vec a, Vec b) { return _mm_mul_pd(a, b); }
    static Vec Max(Vec a, Vec b) { return _mm_max_pd(a, b); }
    // Lanes of a still below the bound: the literal test, so NaN leaves.
    static Mask KeepBelow(Mask a, Vec s, Vec bound) {
        return _mm_and_pd(a, _mm_cmplt_pd(s, bound));
    }
    static Mask AtLeast(Vec a, Vec b) { return _mm_cmpge_pd(a, b); }
    static Mask SameZ(Vec zx, Vec px, Vec zy, Vec py) {
        return _mm_and_pd(_mm_cmpeq_pd(zx, px), _mm_cmpeq_pd(zy, py));
    }
    static Mask And(Mask a, Mask b) { return _mm_and_pd(a, b); }
    static Vec LaneMask(unsigned lanes) {
        return _mm_castsi128_pd(
            _mm_set_epi64x((lanes & 2u) != 0 ? -1 : 0, (lanes & 1u) != 0 ? -1 : 0));
    }
    static Mask MaskFromBits(unsigned lanes) { return _mm_and_pd(LaneMask(lanes), Set1(1.0)); }
    static unsigned Bits(Mask m) {
        return static_cast<unsigned>(_mm_movemask_pd(_mm_cmpneq_pd(m, _mm_setzero_pd())));
    }
    static Vec Increment(Vec n, Mask a) { return _mm_add_pd(n, a); }
    static double HorizontalMax(Vec v) {
        return _mm_cvtsd_f64(_mm_max_sd(v, _mm_unpackhi_pd(v, v)));
    }
    static Vec InsertLane(Vec v, int lane, double x) {
        return lane == 0 ? _mm_move_sd(v, _mm_set_sd(x)) : _mm_unpacklo_pd(v, _mm_set_sd(x));
    }
    static Vec ClearLanes(Vec v, unsigned lanes) { return _mm_andnot_pd(LaneMask(lanes), v); }
};

}  // namespace

#include "core/grid_kernel_body.h"

void RenderGridSse2(const PointGrid& grid, std::uint32_t* out) {
    RenderGridWith<Sse2, 4>(grid, out);
}

#endif
