// Two points per instruction with SSE2, which every x86-64 processor has.
#include "core/kernel/point_grid.h"

#if defined(__x86_64__) || defined(_M_X64)

#include "core/kernel/isa_sse2.h"
// The primitives first: they open the region the algorithms are compiled in.
#include "core/kernel/ceiling.h"
#include "core/kernel/grid_kernel.h"

namespace {

// Two lanes make expanding and compressing cheap blends, so SSE2 runs the
// same algorithm; measured on an AMD Zen 4 core. Collections once 2 of the
// 10 lanes are finished.
struct Sse2Shape {
    static constexpr int kVectors = 5;
    static constexpr int kBlockPasses = 15;
    static constexpr int kLanesToCollect = 2;
    static constexpr int kSievePasses = 6;
    static constexpr int kColoursPerBlock = 0;
};

}  // namespace

void RenderGridSse2(const PointGrid& grid, std::uint32_t* out) {
    sse2::RenderGridWith<sse2::Sse2, Sse2Shape>(grid, out);
}

double RunCeilingSse2(int vectors, std::int64_t passes) {
    return sse2::RunCeilingFor<sse2::Sse2>(vectors, passes);
}

#endif
