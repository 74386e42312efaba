// Eight points per instruction with AVX-512F. Built with AVX-512F code
// generation; only called once the CPU and OS are known to support it.
#include "core/kernel/point_grid.h"

#if defined(__x86_64__) || defined(_M_X64)

#include "core/kernel/isa_avx512.h"
// The primitives first: the algorithms below are stamped out for them.
#include "core/kernel/ceiling.h"
#include "core/kernel/grid_kernel.h"

namespace {

// Measured on an AMD Zen 4 core (512-bit operations split in two halves):
// five vectors keep the adds busy, blocks of 15 passes keep the block-end
// bookkeeping small, and collecting once one vector has 7 finished lanes
// keeps the costly collections rare. Intel cores run 512-bit operations
// whole on two ports with longer latencies; five vectors cover those too.
struct Avx512Shape {
    static constexpr int kVectors = 5;
    static constexpr int kBlockPasses = 15;
    static constexpr int kLanesToCollect = 7;
    static constexpr int kSievePasses = 6;
};

}  // namespace

void RenderGridAvx512(const PointGrid& grid, std::uint32_t* out) {
    RenderGridWith<Avx512, Avx512Shape>(grid, out);
}

double RunCeilingAvx512(int vectors, std::int64_t passes) {
    return RunCeilingFor<Avx512>(vectors, passes);
}

#endif
