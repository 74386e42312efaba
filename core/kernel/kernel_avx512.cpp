// Eight points per instruction with AVX-512F. Built with AVX-512F code
// generation; only called once the CPU and OS are known to support it.
#include "core/kernel/point_grid.h"

#if defined(__x86_64__) || defined(_M_X64)

#include "core/kernel/isa_avx512.h"
// The primitives first: the algorithms below are stamped out for them.
#include "core/kernel/ceiling.h"
#include "core/kernel/grid_kernel.h"

namespace {

struct Avx512Shape {
    static constexpr int kVectors = 4;
    static constexpr int kBlockPasses = 5;
    static constexpr int kLanesToCollect = 6;
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
