// Four points per instruction with AVX2 (no FMA: the passes must round like
// EscapeIndex). Only called once the CPU and OS are known to support it.
#include "core/kernel/point_grid.h"

#if defined(__x86_64__) || defined(_M_X64)

#include "core/kernel/isa_avx2.h"
// The primitives first: they open the region the algorithms are compiled in.
#include "core/kernel/ceiling.h"
#include "core/kernel/grid_kernel.h"

namespace {

// Measured on an AMD Zen 4 core: four vectors (16 registers: c is read from
// memory), blocks of 15 passes, collections once 6 of the 16 lanes are
// finished. (Blocks of 5 were slower here, on Zen 4 and on an Intel Xeon.)
// Colours are written in batches: with sixteen registers, writing some in
// each block cost 1-2% on an Intel Xeon.
struct Avx2Shape {
    static constexpr int kVectors = 4;
    static constexpr int kBlockPasses = 15;
    static constexpr int kLanesToCollect = 6;
    static constexpr int kSievePasses = 6;
    static constexpr int kColoursPerBlock = 0;
};

}  // namespace

void RenderGridAvx2(const PointGrid& grid, std::uint32_t* out) {
    avx2::RenderGridWith<avx2::Avx2, Avx2Shape>(grid, out);
}

double RunCeilingAvx2(int vectors, std::int64_t passes) {
    return avx2::RunCeilingFor<avx2::Avx2>(vectors, passes);
}

#endif
