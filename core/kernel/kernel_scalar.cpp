// The portable kernel: the reference iteration, one point at a time.
#include "core/escape.h"
#include "core/kernel/point_grid.h"

void RenderGridScalar(const PointGrid& grid, std::uint32_t* out) {
    for (std::size_t row = 0; row < grid.rows; ++row) {
        double cy = grid.cy[row];
        std::uint32_t* line = out + row * grid.columns;
        for (std::size_t column = 0; column < grid.columns; ++column) {
            line[column] = OpaquePixel(EscapeIndex(grid.cx[column], cy));
        }
    }
}
