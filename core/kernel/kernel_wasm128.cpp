// Two points per instruction with WebAssembly's 128-bit vectors, in builds
// for the web (compiled with -msimd128 there).
#include "core/kernel/point_grid.h"

#if defined(__wasm__)

#include "core/kernel/isa_wasm128.h"
// The primitives first: they open the region the algorithms are compiled in.
#include "core/kernel/ceiling.h"
#include "core/kernel/grid_kernel.h"

namespace {

// The SSE2 shape, which these two-lane vectors share: under Node 20 on an AMD
// Zen 5 core, 4, 6 or 8 vectors gave the same frame times within the noise.
struct Wasm128Shape {
    static constexpr int kVectors = 5;
    static constexpr int kBlockPasses = 15;
    static constexpr int kLanesToCollect = 2;
    static constexpr int kSievePasses = 6;
    static constexpr int kColoursPerBlock = 0;
};

}  // namespace

void RenderGridWasm128(const PointGrid& grid, std::uint32_t* out) {
    wasm128::RenderGridWith<wasm128::Wasm128, Wasm128Shape>(grid, out);
}

double RunCeilingWasm128(int vectors, std::int64_t passes) {
    return wasm128::RunCeilingFor<wasm128::Wasm128>(vectors, passes);
}

#endif
