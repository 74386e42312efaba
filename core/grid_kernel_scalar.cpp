// The portable kernel: the reference iteration, one point at a time.
#include "core/escape.h"
#include "core/palette.h"
#include "core/point_grid.h"

void RenderGridScalar(const PointGrid& grid, std::uint32_t* out) {
    for (std::size_t row = 0; row < grid.rows; ++row) {
        double cy = grid.cy[row];
        std::uint32_t* line = out + row * grid.columns;
        for (std::size_t column = 0; column < grid.columns; ++column) {
            // The table's top byte is zero, so the wrap sets alpha to 0xFF.
            line[column] = Palette[EscapeIndex(grid.cx[column], cy)] - 0x01000000u;
        }
    }
}
