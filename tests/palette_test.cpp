#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "core/palette.h"

namespace {

class PaletteTest : public ::testing::Test {
   protected:
    void SetUp() override { BuildPalette(); }
};

TEST_F(PaletteTest, TellingEntries) {
    EXPECT_EQ(Palette[0], 0x7F0080u);
    EXPECT_EQ(Palette[128], 0x780087u);
    EXPECT_EQ(Palette[256], 0x70018Fu);
    EXPECT_EQ(Palette[3213], 0x0080FFu);
    EXPECT_EQ(Palette[6425], 0x80FF7Fu);
    EXPECT_EQ(Palette[9637], 0xFF8000u);
    EXPECT_EQ(Palette[12850], 0x7F0080u);  // one cycle on: entry 0 again
    EXPECT_EQ(Palette[16384], 0x0293FDu);
    EXPECT_EQ(Palette[32512], 0x97FD68u);
    EXPECT_EQ(Palette[32767], 0xA7F958u);
}

TEST_F(PaletteTest, ShapeOfTheTable) {
    std::set<std::uint32_t> distinct;
    for (std::int32_t i = 0; i < kPaletteSize; ++i) {
        ASSERT_EQ(Palette[i] & 0xFF000000u, 0u) << "index " << i;
        distinct.insert(Palette[i]);
    }
    EXPECT_EQ(distinct.size(), 1016u);
}

TEST_F(PaletteTest, RebuildingGivesTheSameTable) {
    std::vector<std::uint32_t> first(Palette, Palette + kPaletteSize);
    std::fill(Palette, Palette + kPaletteSize, 0xDEADBEEFu);
    BuildPalette();
    EXPECT_TRUE(std::equal(first.begin(), first.end(), Palette));
}

}  // namespace
