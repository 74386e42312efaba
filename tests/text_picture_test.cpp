// The decoder of the Linux program's text pictures (its up-arrow cursor and
// the placeholder's letters), against cells worked out by hand.
#include "shell_pixels/text_picture.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using Cell = std::tuple<int, int, char>;

std::vector<Cell> Decode(const char* picture, int scale) {
    std::vector<Cell> cells;
    DecodeTextPicture(picture, scale,
                      [&cells](int x, int y, char cell) { cells.emplace_back(x, y, cell); });
    return cells;
}

TEST(TextPictureTest, EachCellBecomesAScaleByScaleSquareInRowOrder) {
    const char picture[] = R"(
#.o
.#
)";
    const std::vector<Cell> expected = {
        {0, 0, '#'}, {1, 0, '#'}, {4, 0, 'o'}, {5, 0, 'o'},  // first row, twice
        {0, 1, '#'}, {1, 1, '#'}, {4, 1, 'o'}, {5, 1, 'o'},  //
        {2, 2, '#'}, {3, 2, '#'},                            // second row, twice
        {2, 3, '#'}, {3, 3, '#'},                            //
    };
    EXPECT_EQ(Decode(picture, 2), expected);
}

TEST(TextPictureTest, DotsAndSpacesAreBlankAndEmptyRowsStillCount) {
    // No opening newline here: the first character already is the top row.
    const std::vector<Cell> expected = {{3, 0, 'x'}, {0, 2, '#'}, {1, 3, '#'}};
    EXPECT_EQ(Decode(". .x\n\n#\n.#", 1), expected);
}

TEST(TextPictureTest, ScaleThreeKeepsEveryPixelOfACell) {
    const std::vector<Cell> cells = Decode(".#", 3);
    ASSERT_EQ(cells.size(), 9u);
    for (const Cell& cell : cells) {
        EXPECT_GE(std::get<0>(cell), 3);
        EXPECT_LT(std::get<0>(cell), 6);
        EXPECT_LT(std::get<1>(cell), 3);
    }
}

}  // namespace
