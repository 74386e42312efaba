// The grid of distinct plane points a region needs, and the kernels that
// colour it. Internal to the renderer.
#pragma once

#include <cstddef>
#include <cstdint>

// Point (column c, row r) is (cx[c], cy[r]); its pixel goes to
// out[r * columns + c].
struct PointGrid {
    const double* cx;
    std::size_t columns;
    const double* cy;
    std::size_t rows;
};

// Each writes OpaquePixel(EscapeIndex(cx, cy)) for every point.
void RenderGridScalar(const PointGrid& grid, std::uint32_t* out);
#if defined(__x86_64__) || defined(_M_X64)
void RenderGridSse2(const PointGrid& grid, std::uint32_t* out);
void RenderGridAvx2(const PointGrid& grid, std::uint32_t* out);
void RenderGridAvx512(const PointGrid& grid, std::uint32_t* out);

// The literal pass alone on never-escaping lanes, vectors side by side (1 ... 8),
// for measuring the ceiling; the result only keeps the work from being dropped.
double RunCeilingSse2(int vectors, std::int64_t passes);
double RunCeilingAvx2(int vectors, std::int64_t passes);
double RunCeilingAvx512(int vectors, std::int64_t passes);
#endif
#if defined(__wasm__)
void RenderGridWasm128(const PointGrid& grid, std::uint32_t* out);
double RunCeilingWasm128(int vectors, std::int64_t passes);
#endif

// Runs the kernel ActiveRenderKernel() names.
void RenderGrid(const PointGrid& grid, std::uint32_t* out);
