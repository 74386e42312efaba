#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "core/palette.h"
#include "core/render.h"
#include "tests/core_fixture.h"
#include "tests/literal_render.h"

namespace {

class RenderTest : public ::testing::Test {
   protected:
    void SetUp() override { ResetCoreState(); }

    static PixelBuffer Render(const Rect& region) {
        PixelBuffer pixels(static_cast<std::size_t>(PixelCount(region)));
        RenderRegion(region, pixels.data());
        return pixels;
    }

    // Renders each tile on its own and pastes it into a whole-client picture.
    static std::vector<std::uint32_t> RenderTiles(const std::vector<Rect>& tiles, int width,
                                                  int height) {
        std::vector<std::uint32_t> picture(static_cast<std::size_t>(width) * height, 0);
        for (const Rect& tile : tiles) {
            PixelBuffer pixels = Render(tile);
            int tileWidth = tile.right - tile.left;
            for (int y = tile.top; y < tile.bottom; ++y) {
                for (int x = tile.left; x < tile.right; ++x) {
                    picture[static_cast<std::size_t>(y) * width + x] =
                        pixels[static_cast<std::size_t>(y - tile.top) * tileWidth +
                               (x - tile.left)];
                }
            }
        }
        return picture;
    }
};

TEST_F(RenderTest, FirstPixelOfTheStartView) {
    UpdateScales(800);
    PixelBuffer pixels = Render(Rect{0, 0, 1, 1});
    EXPECT_EQ(pixels[0], 0xFF70018Fu);
}

TEST_F(RenderTest, TilingsMatchTheWholeClientAndTheLiteralLoop) {
    const struct {
        double reLeft;
        double imOffset;
        double reSpan;
        int width;
        int height;
    } views[] = {
        // Both escaping and inside points.
        {-0.9, 0.35, 0.7, 203, 157},
        // Past double precision: runs of equal coordinates of every length,
        // each distinct point rendered once and spread over its run.
        {0.54908291601127923, -0.59999999999999876, 3e-15, 300, 200},
    };
    for (const auto& view : views) {
        reLeft = view.reLeft;
        imOffset = view.imOffset;
        reSpan = view.reSpan;
        const int width = view.width;
        const int height = view.height;
        UpdateScales(width);
        PixelBuffer whole = Render(Rect{0, 0, width, height});
        std::vector<std::uint32_t> literal(whole.size());
        RenderLiterally(Rect{0, 0, width, height}, literal.data());
        EXPECT_TRUE(whole == literal) << "span " << view.reSpan;

        std::vector<Rect> halves = {Rect{0, 0, 101, height}, Rect{101, 0, width, height}};
        EXPECT_TRUE(RenderTiles(halves, width, height) == whole);

        std::vector<Rect> rows = {Rect{0, 0, width, 78}, Rect{0, 78, width, height}};
        EXPECT_TRUE(RenderTiles(rows, width, height) == whole);

        std::vector<Rect> tiles;
        for (int top = 0; top < height; top += 37) {
            for (int left = 0; left < width; left += 29) {
                tiles.push_back(
                    Rect{left, top, std::min(left + 29, width), std::min(top + 37, height)});
            }
        }
        EXPECT_TRUE(RenderTiles(tiles, width, height) == whole);
    }
}

TEST_F(RenderTest, EmptyRectanglesWriteNothing) {
    UpdateScales(800);
    const std::uint32_t guard = 0xA5A5A5A5u;
    std::vector<std::uint32_t> buffer(16, guard);
    for (Rect empty : {Rect{10, 10, 10, 20}, Rect{10, 10, 20, 10}, Rect{5, 5, 0, 0}}) {
        EXPECT_EQ(PixelCount(empty), 0u);
        RenderRegion(empty, buffer.data());
    }
    EXPECT_EQ(buffer, std::vector<std::uint32_t>(16, guard));
}

TEST_F(RenderTest, PixelCountCannotOverflow) {
    Rect huge{-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647};
    EXPECT_EQ(PixelCount(huge), 4294967295ull * 4294967295ull);
    EXPECT_EQ(PixelCount(Rect{0, 0, 65536, 65536}), 4294967296ull);
}

TEST_F(RenderTest, PixelBufferFitsTheRegionOrStaysEmpty) {
    PixelBuffer pixels(5, 0u);
    EXPECT_TRUE(AllocatePixelBuffer(Rect{10, 20, 13, 22}, &pixels));
    EXPECT_EQ(pixels.size(), 6u);
    EXPECT_TRUE(AllocatePixelBuffer(Rect{10, 20, 10, 22}, &pixels));
    EXPECT_TRUE(pixels.empty());
    // More pixels than a vector can hold.
    pixels.assign(5, 0u);
    EXPECT_FALSE(AllocatePixelBuffer(Rect{-2147483647 - 1, 0, 2147483647, 2147483647}, &pixels));
    EXPECT_TRUE(pixels.empty());
#if !defined(__SANITIZE_ADDRESS__)
    // More bytes than the address space: the allocator itself refuses. (The
    // address sanitizer stops the process instead.)
    pixels.assign(5, 0u);
    EXPECT_FALSE(AllocatePixelBuffer(Rect{0, 0, 1 << 30, 1 << 30}, &pixels));
    EXPECT_TRUE(pixels.empty());
#endif
}

TEST_F(RenderTest, ColoursComeFromThePaletteWithAlpha) {
    // The start view in a client 64 pixels wide: 65 / 3 pixels per unit across.
    // The colours are the independent reference's
    // (python3 tests/oracle/reference.py 64 -2 1.3 3 X Y).
    UpdateScales(64);
    PixelBuffer pixels = Render(Rect{0, 0, 64, 48});
    const struct {
        int x;
        int y;
        std::uint32_t pixel;
    } expected[] = {
        {0, 0, 0xFF70018Fu},    // c = -2 - 1.3i: escapes in pass 2, index 256
        {10, 10, 0xFF60049Fu},  // pass 4, index 512
        {63, 47, 0xFF680297u},  // pass 3, index 384
        {45, 12, 0xFF4AF3B5u},  // pass 244, index 31232
        {28, 28, 0xFF2526DAu},  // pass 113, index 14464
        {32, 20, 0xFF3BEBC4u},  // inside: index 5272 from z254^2
        {45, 30, 0xFF11C0EEu},  // inside: index 4290
    };
    for (const auto& point : expected) {
        EXPECT_EQ(pixels[static_cast<std::size_t>(point.y) * 64 + point.x], point.pixel)
            << point.x << ", " << point.y;
    }
    std::set<std::uint32_t> colours(Palette, Palette + kPaletteSize);
    for (std::uint32_t pixel : pixels) {
        ASSERT_EQ(pixel >> 24, 0xFFu);
        ASSERT_EQ(colours.count(pixel & 0xFFFFFFu), 1u) << std::hex << pixel;
    }
}

}  // namespace
