// Eight points per instruction with AVX-512F. Built with AVX-512F code
// generation; only called once the CPU and OS are known to support it.
#include "core/palette.h"
#include "core/point_grid.h"

#if defined(__x86_64__) || defined(_M_X64)

#include <immintrin.h>

namespace {

struct Avx512 {
    using Vec = __m512d;
    using Mask = __mmask8;
    // Passes between collections of finished lanes; orbits are compared with
    // their checkpoints at the same beat. Mask registers keep collecting cheap.
    static constexpr std::int64_t kBlockPasses = 6;
    // Where orbits are compared, mostly inside the set: lanes finish rarely,
    // and the comparisons 12 passes apart catch periods 1, 2, 3, 4 and 6, by
    // far the commonest, with less overhead per pass.
    static constexpr std::int64_t kCheckingBlockPasses = 12;
    // Finished lanes are collected once this many of one vector's lanes have
    // finished: a collection costs far more than the passes idle lanes waste.
    // Then every vector with a finished lane is refilled, which is cheap.
    static constexpr int kLanesToCollect = 6;
    static constexpr int kLanesToRefill = 1;
    // Passes every point runs in the early-escape sieve before the refilling
    // kernel takes it (see SieveStage).
    static constexpr int kSievePasses = 6;
    static constexpr int kLanes = 8;
    // Finished lanes are refilled with expand-loads, without a branch per
    // lane; their palette indices are queued (compressed, 8 lanes stored at
    // once) and written in batches: cheaper than a scatter.
    static constexpr bool kRefillsWholeVectors = true;

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
        // Zero-masked whole-register shuffles: GCC 12 trips its own
        // maybe-uninitialized warning on the unmasked ones and on extracts.
        v = Max(v, _mm512_maskz_shuffle_f64x2(0xFF, v, v, _MM_SHUFFLE(1, 0, 3, 2)));
        v = Max(v, _mm512_maskz_shuffle_f64x2(0xFF, v, v, _MM_SHUFFLE(2, 3, 0, 1)));
        v = Max(v, _mm512_maskz_permute_pd(0xFF, v, 0x55));
        return _mm512_cvtsd_f64(v);
    }
    static Vec Expand(Vec v, unsigned lanes, const double* from) {
        return _mm512_mask_expandloadu_pd(v, static_cast<Mask>(lanes), from);
    }
    static void ExpandTargets(std::int64_t* targets, unsigned lanes, const std::int64_t* from) {
        __m512i t = _mm512_loadu_si512(targets);
        t = _mm512_mask_expandloadu_epi64(t, static_cast<Mask>(lanes), from);
        _mm512_storeu_si512(targets, t);
    }
    // first, first + 1, ... in the kLanes targets at p.
    static void StoreSequence(std::int64_t* p, std::int64_t first) {
        __m512i sequence =
            _mm512_add_epi64(_mm512_set1_epi64(first), _mm512_set_epi64(7, 6, 5, 4, 3, 2, 1, 0));
        _mm512_storeu_si512(p, sequence);
    }
    static Vec Fill(Vec v, unsigned lanes, double x) {
        return _mm512_mask_mov_pd(v, static_cast<Mask>(lanes), Set1(x));
    }
    static void StoreLanes(double* p, unsigned lanes, Vec v) {
        _mm512_mask_storeu_pd(p, static_cast<Mask>(lanes), v);
    }
    // EscapeIndex's palette index for each lane in lanes: 128 per pass, or
    // InsideIndex of the last squares after 255 passes. Every step is exact in
    // doubles (truncation, then the low 15 bits as a remainder by a power of
    // two). The chosen lanes' targets and indices are packed to the front of
    // queueTargets and queueIndices; all 8 slots of each are written.
    static void QueueColours(std::int64_t* queueTargets, std::int64_t* queueIndices, unsigned lanes,
                             const std::int64_t* targets, Vec passes, Vec sum) {
        Mask m = static_cast<Mask>(lanes);
        Vec band = _mm512_mul_pd(passes, Set1(128.0));
        Mask escaped = _mm512_cmp_pd_mask(passes, Set1(255.0), _CMP_LT_OQ);
        Vec index = band;
        if ((m & ~escaped) != 0) {
            index = _mm512_mask_mov_pd(InsideIndices(sum), escaped, band);
        }
        __m512i index64 = _mm512_maskz_cvtepi32_epi64(0xFF, _mm512_maskz_cvttpd_epi32(0xFF, index));
        _mm512_storeu_si512(queueIndices, _mm512_maskz_compress_epi64(m, index64));
        _mm512_storeu_si512(queueTargets,
                            _mm512_maskz_compress_epi64(m, _mm512_loadu_si512(targets)));
    }
    // InsideIndex of each lane's squares.
    static Vec InsideIndices(Vec sum) {
        Vec scaled = _mm512_mul_pd(sum, Set1(33424.0));
        Mask valid = _mm512_mask_cmp_pd_mask(_mm512_cmp_pd_mask(scaled, Set1(0.0), _CMP_GE_OQ),
                                             scaled, Set1(2147483648.0), _CMP_LT_OQ);
        Vec whole = _mm512_maskz_roundscale_pd(valid, scaled, _MM_FROUND_TO_ZERO);
        Vec wraps = _mm512_maskz_roundscale_pd(valid, _mm512_mul_pd(whole, Set1(1.0 / 32768.0)),
                                               _MM_FROUND_TO_NEG_INF);
        return _mm512_sub_pd(whole, _mm512_mul_pd(wraps, Set1(32768.0)));
    }
    // The squares of the last pass for lanes whose orbit repeats with period
    // passes - checkpointPasses: those (255 - passes) mod period passes ahead,
    // run here with the literal operations.
    static Vec LastSquares(unsigned lanes, Vec zx, Vec zy, Vec cx, Vec cy, Vec passes,
                           Vec checkpointPasses, Vec sum) {
        Mask m = static_cast<Mask>(lanes);
        // Small whole numbers: the quotient's floor and the remainder are exact.
        Vec period = _mm512_sub_pd(passes, checkpointPasses);
        Vec left = _mm512_sub_pd(Set1(255.0), passes);
        Vec whole = _mm512_maskz_roundscale_pd(m, _mm512_maskz_div_pd(m, left, period),
                                               _MM_FROUND_TO_NEG_INF);
        Vec remaining = _mm512_maskz_sub_pd(m, left, _mm512_mul_pd(whole, period));
        for (double pass = 1.0; _mm512_mask_cmp_pd_mask(m, remaining, Set1(pass), _CMP_GE_OQ) != 0;
             pass += 1.0) {
            Vec x2 = _mm512_mul_pd(zx, zx);
            Vec y2 = _mm512_mul_pd(zy, zy);
            zy = _mm512_add_pd(_mm512_mul_pd(zy, _mm512_add_pd(zx, zx)), cy);
            zx = _mm512_add_pd(_mm512_sub_pd(x2, y2), cx);
            Mask last = _mm512_mask_cmp_pd_mask(m, remaining, Set1(pass), _CMP_EQ_OQ);
            sum = _mm512_mask_mov_pd(sum, last, _mm512_add_pd(y2, x2));
        }
        return sum;
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
