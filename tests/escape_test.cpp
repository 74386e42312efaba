#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/escape.h"

namespace {

TEST(EscapeIndexTest, TellingValues) {
    EXPECT_EQ(EscapeIndex(0.0, 0.0), 0);     // fixed point 0: inside, |z|^2 = 0
    EXPECT_EQ(EscapeIndex(-1.0, 0.0), 0);    // cycle 0, -1: last test sees z = 0
    EXPECT_EQ(EscapeIndex(0.0, 1.0), 1312);  // cycle with |z|^2 = 2: 66848 mod 32768
    EXPECT_EQ(EscapeIndex(-2.0, 0.0), 256);  // |z1|^2 is exactly 4: not below the bound
    EXPECT_EQ(EscapeIndex(3.0, 0.0), 256);
    EXPECT_EQ(EscapeIndex(1.0, 1.0), 384);  // |z1|^2 = 2, |z2|^2 = 10
}

TEST(EscapeIndexTest, AxesGiveIndependentlyWorkedValues) {
    // 0.5: z = .5, .75, 1.0625, 1.62890625, 3.15...: z5 is the first outside.
    EXPECT_EQ(EscapeIndex(0.5, 0.0), 768);
    EXPECT_EQ(EscapeIndex(0.0, 2.0), 256);  // |z1|^2 = 4 on the imaginary axis
    EXPECT_EQ(EscapeIndex(0.0, -2.0), 256);
    EXPECT_EQ(EscapeIndex(-2.0000001, 0.0), 256);
    // -2 < c <= 0.25 on the real axis never escapes: the colour comes from
    // z254^2. By hand for 0.2: the orbit settles on the attracting fixed
    // point z = (1 - sqrt(0.2)) / 2 = 0.2763932..., z^2 = 0.0763932...,
    // times 33424 = 2553.37. The slow and chaotic orbits are from the
    // independent reference (python3 tests/oracle/reference.py's
    // escape_index).
    const struct {
        double cx;
        PaletteIndex index;
    } axis[] = {{-1.999, 16091}, {-1.75, 23928}, {-1.5, 12832},
                {-0.75, 6935},   {0.2, 2553},    {0.25, 8228}};
    for (const auto& point : axis) {
        EXPECT_EQ(EscapeIndex(point.cx, 0.0), point.index) << point.cx;
    }
}

TEST(EscapeIndexTest, ConjugatePointsGetTheSameIndex) {
    // Negating cy negates every zy exactly, so the picture is mirror-exact.
    for (double cx = -2.25; cx <= 1.0; cx += 0.0137) {
        for (double cy = 0.0; cy <= 1.5; cy += 0.0213) {
            ASSERT_EQ(EscapeIndex(cx, cy), EscapeIndex(cx, -cy)) << cx << " " << cy;
        }
    }
}

TEST(EscapeIndexTest, DenseGridStaysInRangeAndOnBands) {
    int inside = 0;
    int escaped = 0;
    for (double cx = -3.0; cx <= 3.0; cx += 0.00731) {
        for (double cy = -3.0; cy <= 3.0; cy += 0.00917) {
            PaletteIndex index = EscapeIndex(cx, cy);
            ASSERT_GE(index, 0);
            ASSERT_LT(index, kPaletteSize);
            if (cx * cx + cy * cy > 4.0) {
                // Outside the disc the first real test (pass 2) fails.
                ASSERT_EQ(index, 256) << cx << " " << cy;
            }
            if (index % 128 == 0 && index >= 256 && index <= 32512) {
                ++escaped;
            } else {
                ++inside;
            }
        }
    }
    EXPECT_GT(inside, 1000);
    EXPECT_GT(escaped, 100000);
}

TEST(EscapeIndexTest, NonFiniteAndHugeInputsAreSafe) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double huge = std::numeric_limits<double>::max();
    const double values[] = {inf, -inf, nan, huge, -huge, 1e200, -1e200, 0.0};
    for (double cx : values) {
        for (double cy : values) {
            if (cx == 0.0 && cy == 0.0) {
                continue;
            }
            EXPECT_EQ(EscapeIndex(cx, cy), 256) << cx << " " << cy;
        }
    }
}

TEST(EscapeIndexTest, InsideIndexWrapsAndGuards) {
    EXPECT_EQ(InsideIndex(0.0), 0);
    EXPECT_EQ(InsideIndex(2.0), 1312);
    EXPECT_EQ(InsideIndex(35.9), 20273);                    // 1199921.6 -> 1199921 - 36 * 32768
    EXPECT_EQ(InsideIndex(2147483647.5 / 33424.0), 32767);  // the largest value converted
    EXPECT_EQ(InsideIndex(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(InsideIndex(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(InsideIndex(1e300), 0);
    EXPECT_EQ(InsideIndex(-1.0), 0);
}

}  // namespace
