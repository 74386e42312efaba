// Eight points per instruction with AVX-512F. Built with AVX-512F code
// generation; only called once the CPU and OS are known to support it.
#include "core/kernel/point_grid.h"

#if defined(__x86_64__) || defined(_M_X64)

#include "core/kernel/isa_avx512.h"
// The primitives first: they open the region the algorithms are compiled in.
#include "core/kernel/ceiling.h"
#include "core/kernel/grid_kernel.h"

namespace {

// Five vectors keep the pipes busy on AMD Zen 4 and 5 and on Intel alike.
// Blocks of 5 passes refill escaped lanes soon; their ends only count the
// running lanes, and collecting once 12 of the 40 lanes are finished keeps
// collections rare (measured on an Intel Xeon with AVX-512: the boundary view
// 6-9% faster than blocks of 15, the others unchanged). Eight colours written
// in each block keep the queue short (boundary 3% faster on an Intel Xeon).
struct Avx512Shape {
    static constexpr int kVectors = 5;
    static constexpr int kBlockPasses = 5;
    static constexpr int kLanesToCollect = 12;
    static constexpr int kSievePasses = 6;
    static constexpr int kColoursPerBlock = 8;
};

}  // namespace

void RenderGridAvx512(const PointGrid& grid, std::uint32_t* out) {
    avx512::RenderGridWith<avx512::Avx512, Avx512Shape>(grid, out);
}

double RunCeilingAvx512(int vectors, std::int64_t passes) {
    return avx512::RunCeilingFor<avx512::Avx512>(vectors, passes);
}

#endif
