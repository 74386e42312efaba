#include "core/render.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "core/kernel/point_grid.h"
#include "core/view.h"

namespace {

bool SameBits(double a, double b) {
    std::uint64_t bitsA;
    std::uint64_t bitsB;
    std::memcpy(&bitsA, &a, sizeof a);
    std::memcpy(&bitsB, &b, sizeof b);
    return bitsA == bitsB;
}

// Appends value to the distinct values unless it repeats the last one; the
// coordinates are monotonic in the pixel, so equal ones are neighbours. Deep
// zooms run out of double precision and give many equal neighbours.
void AddCoordinate(double value, std::vector<double>* values, std::vector<std::size_t>* runs) {
    if (!values->empty() && SameBits(value, values->back())) {
        runs->back() = runs->back() + 1;
        return;
    }
    values->push_back(value);
    runs->push_back(1);
}

// Spreads the grid of distinct points, packed at the start of pixels, over
// the whole region. Working backwards never overwrites a grid value before it
// is read: each lands at or after its own position.
void ExpandGrid(const std::vector<std::size_t>& columnRuns, const std::vector<std::size_t>& rowRuns,
                std::size_t width, std::size_t height, std::uint32_t* pixels) {
    std::size_t columns = columnRuns.size();
    std::size_t rowEnd = height;
    for (std::size_t r = rowRuns.size(); r-- > 0;) {
        std::size_t rowStart = rowEnd - rowRuns[r];
        const std::uint32_t* source = pixels + r * columns;
        std::uint32_t* line = pixels + rowStart * width;
        std::size_t columnEnd = width;
        for (std::size_t c = columns; c-- > 0;) {
            std::uint32_t value = source[c];
            std::size_t columnStart = columnEnd - columnRuns[c];
            std::fill(line + columnStart, line + columnEnd, value);
            columnEnd = columnStart;
        }
        for (std::size_t y = rowStart + 1; y < rowEnd; ++y) {
            std::copy(line, line + width, pixels + y * width);
        }
        rowEnd = rowStart;
    }
}

}  // namespace

std::uint64_t PixelCount(const Rect& region) {
    if (IsRectEmpty(region)) {
        return 0;
    }
    std::uint64_t width =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(region.right) - region.left);
    std::uint64_t height =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(region.bottom) - region.top);
    return width * height;
}

bool AllocatePixelBuffer(const Rect& region, PixelBuffer* pixels) {
    try {
        pixels->resize(static_cast<std::size_t>(PixelCount(region)));
    } catch (const std::bad_alloc&) {
        pixels->clear();
        return false;
    } catch (const std::length_error&) {
        pixels->clear();
        return false;
    }
    return true;
}

void RenderRegion(const Rect& region, std::uint32_t* pixels) {
    if (IsRectEmpty(region)) {
        return;
    }
    std::size_t width =
        static_cast<std::size_t>(static_cast<std::int64_t>(region.right) - region.left);
    std::size_t height =
        static_cast<std::size_t>(static_cast<std::int64_t>(region.bottom) - region.top);
    std::vector<double> cx;
    std::vector<double> cy;
    std::vector<std::size_t> columnRuns;
    std::vector<std::size_t> rowRuns;
    cx.reserve(width);
    columnRuns.reserve(width);
    cy.reserve(height);
    rowRuns.reserve(height);
    for (std::int32_t x = region.left; x < region.right; ++x) {
        AddCoordinate(ColumnToReal(x), &cx, &columnRuns);
    }
    for (std::int32_t y = region.top; y < region.bottom; ++y) {
        AddCoordinate(RowToImaginary(y), &cy, &rowRuns);
    }
    RenderGrid(PointGrid{cx.data(), cx.size(), cy.data(), cy.size()}, pixels);
    if (cx.size() != width || cy.size() != height) {
        ExpandGrid(columnRuns, rowRuns, width, height, pixels);
    }
}
