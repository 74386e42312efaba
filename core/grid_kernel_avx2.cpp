// Four points per instruction with AVX2 (no FMA: the passes must round like
// EscapeIndex). Only called once the CPU and OS are known to support it.
#include "core/palette.h"
#include "core/point_grid.h"

#if defined(__x86_64__) || defined(_M_X64)

#include <immintrin.h>

namespace {

// For each lane mask, the 32-bit halves that move the first values of a
// loaded vector into the masked lanes, in order (lane-wise expand).
const std::int32_t kExpandOrder[16][8] = {
    {0, 1, 2, 3, 4, 5, 6, 7}, {0, 1, 2, 3, 4, 5, 6, 7}, {0, 1, 0, 1, 4, 5, 6, 7},
    {0, 1, 2, 3, 4, 5, 6, 7}, {0, 1, 2, 3, 0, 1, 6, 7}, {0, 1, 2, 3, 2, 3, 6, 7},
    {0, 1, 0, 1, 2, 3, 6, 7}, {0, 1, 2, 3, 4, 5, 6, 7}, {0, 1, 2, 3, 4, 5, 0, 1},
    {0, 1, 2, 3, 4, 5, 2, 3}, {0, 1, 0, 1, 4, 5, 2, 3}, {0, 1, 2, 3, 4, 5, 4, 5},
    {0, 1, 2, 3, 0, 1, 2, 3}, {0, 1, 2, 3, 2, 3, 4, 5}, {0, 1, 0, 1, 2, 3, 4, 5},
    {0, 1, 2, 3, 4, 5, 6, 7},
};

struct Avx2 {
    using Vec = __m256d;
    // A lane mask is 1.0 in each chosen lane and 0.0 elsewhere, so counting
    // passes is one add and keeping lanes one and.
    using Mask = __m256d;
    // Finished lanes are refilled by permuting the next queued points into
    // place; their palette indices are queued and written in batches.
    static constexpr bool kRefillsWholeVectors = true;
    // Passes between collections of finished lanes; orbits are compared with
    // their checkpoints at the same beat. Collecting lanes costs more without mask registers, so
    // blocks are longer.
    static constexpr std::int64_t kBlockPasses = 12;
    static constexpr std::int64_t kCheckingBlockPasses = 12;
    // Finished lanes are collected once this many of one vector's lanes have
    // finished, and a vector is refilled only with as many: a refill costs
    // more than the passes its idle lanes waste meanwhile.
    static constexpr int kLanesToCollect = 3;
    static constexpr int kLanesToRefill = 3;
    // Passes every point runs in the early-escape sieve before the refilling
    // kernel takes it (see SieveStage).
    static constexpr int kSievePasses = 6;
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
    static Mask MaskFromBits(unsigned lanes) { return _mm256_and_pd(LaneMask(lanes), Set1(1.0)); }
    static unsigned Bits(Mask m) {
        return static_cast<unsigned>(
            _mm256_movemask_pd(_mm256_cmp_pd(m, _mm256_setzero_pd(), _CMP_NEQ_UQ)));
    }
    static Vec Increment(Vec n, Mask a) { return _mm256_add_pd(n, a); }
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
    static __m256i ExpandOrder(unsigned lanes) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kExpandOrder[lanes]));
    }
    static Vec Expand(Vec v, unsigned lanes, const double* from) {
        __m256 spread =
            _mm256_permutevar8x32_ps(_mm256_castpd_ps(_mm256_loadu_pd(from)), ExpandOrder(lanes));
        return _mm256_blendv_pd(v, _mm256_castps_pd(spread), LaneMask(lanes));
    }
    static void ExpandTargets(std::int64_t* targets, unsigned lanes, const std::int64_t* from) {
        __m256i loaded = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from));
        __m256i current = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(targets));
        __m256i spread = _mm256_permutevar8x32_epi32(loaded, ExpandOrder(lanes));
        __m256i merged = _mm256_castpd_si256(_mm256_blendv_pd(
            _mm256_castsi256_pd(current), _mm256_castsi256_pd(spread), LaneMask(lanes)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(targets), merged);
    }
    // first, first + 1, ... in the kLanes targets at p.
    static void StoreSequence(std::int64_t* p, std::int64_t first) {
        __m256i sequence =
            _mm256_add_epi64(_mm256_set1_epi64x(first), _mm256_set_epi64x(3, 2, 1, 0));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), sequence);
    }
    static Vec Fill(Vec v, unsigned lanes, double x) {
        return _mm256_blendv_pd(v, Set1(x), LaneMask(lanes));
    }
    static void StoreLanes(double* p, unsigned lanes, Vec v) {
        _mm256_maskstore_pd(p, _mm256_castpd_si256(LaneMask(lanes)), v);
    }
    // EscapeIndex's palette index for each lane in lanes: 128 per pass, or
    // InsideIndex of the last squares after 255 passes. Every step is exact in
    // doubles (truncation, then the low 15 bits as a remainder by a power of
    // two). The chosen lanes' targets and indices are packed to the front of
    // queueTargets and queueIndices; all 4 slots of each are written.
    static void QueueColours(std::int64_t* queueTargets, std::int64_t* queueIndices, unsigned lanes,
                             const std::int64_t* targets, Vec passes, Vec sum) {
        Vec band = _mm256_mul_pd(passes, Set1(128.0));
        Vec escaped = _mm256_cmp_pd(passes, Set1(255.0), _CMP_LT_OQ);
        Vec index = band;
        if ((lanes & ~static_cast<unsigned>(_mm256_movemask_pd(escaped))) != 0) {
            index = _mm256_blendv_pd(InsideIndices(sum), band, escaped);
        }
        std::int32_t indices[kLanes];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(indices), _mm256_cvttpd_epi32(index));
        // Every lane is stored, and the slot moves on past the chosen ones:
        // no branch per lane.
        int slot = 0;
        for (int i = 0; i < kLanes; ++i) {
            queueTargets[slot] = targets[i];
            queueIndices[slot] = indices[i];
            slot = slot + static_cast<int>(lanes >> i & 1u);
        }
    }
    // InsideIndex of each lane's squares.
    static Vec InsideIndices(Vec sum) {
        Vec scaled = _mm256_mul_pd(sum, Set1(33424.0));
        Vec valid = _mm256_and_pd(_mm256_cmp_pd(scaled, Set1(0.0), _CMP_GE_OQ),
                                  _mm256_cmp_pd(scaled, Set1(2147483648.0), _CMP_LT_OQ));
        Vec whole =
            _mm256_and_pd(valid, _mm256_round_pd(scaled, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
        Vec wraps = _mm256_round_pd(_mm256_mul_pd(whole, Set1(1.0 / 32768.0)),
                                    _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
        return _mm256_sub_pd(whole, _mm256_mul_pd(wraps, Set1(32768.0)));
    }
    // The squares of the last pass for lanes whose orbit repeats with period
    // passes - checkpointPasses: those (255 - passes) mod period passes ahead,
    // run here with the literal operations.
    static Vec LastSquares(unsigned lanes, Vec zx, Vec zy, Vec cx, Vec cy, Vec passes,
                           Vec checkpointPasses, Vec sum) {
        Vec m = LaneMask(lanes);
        // Small whole numbers: the quotient's floor and the remainder are exact.
        Vec period = _mm256_sub_pd(passes, checkpointPasses);
        Vec left = _mm256_sub_pd(Set1(255.0), passes);
        Vec whole =
            _mm256_round_pd(_mm256_div_pd(left, period), _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
        Vec remaining = _mm256_and_pd(m, _mm256_sub_pd(left, _mm256_mul_pd(whole, period)));
        for (double pass = 1.0; Bits(_mm256_cmp_pd(remaining, Set1(pass), _CMP_GE_OQ)) != 0;
             pass += 1.0) {
            Vec x2 = _mm256_mul_pd(zx, zx);
            Vec y2 = _mm256_mul_pd(zy, zy);
            zy = _mm256_add_pd(_mm256_mul_pd(zy, _mm256_add_pd(zx, zx)), cy);
            zx = _mm256_add_pd(_mm256_sub_pd(x2, y2), cx);
            Vec last = _mm256_and_pd(m, _mm256_cmp_pd(remaining, Set1(pass), _CMP_EQ_OQ));
            sum = _mm256_blendv_pd(sum, _mm256_add_pd(y2, x2), last);
        }
        return sum;
    }
};

}  // namespace

#include "core/grid_kernel_body.h"

void RenderGridAvx2(const PointGrid& grid, std::uint32_t* out) {
    RenderGridWith<Avx2, 3>(grid, out);
}

#endif
