#include <gtest/gtest.h>

#include "core/view.h"
#include "tests/core_fixture.h"

namespace {

class ViewTest : public ::testing::Test {
   protected:
    void SetUp() override { ResetCoreState(); }
};

TEST_F(ViewTest, ScalesOfAnEightHundredPixelClient) {
    UpdateScales(800);
    EXPECT_EQ(pixelsPerUnitX, 267.0);  // (800 + 1) / 3
    EXPECT_DOUBLE_EQ(pixelsPerUnitY, 218.94);
    PlanePoint origin = PixelToPoint(0, 0);
    EXPECT_EQ(origin.cx, -2.0);
    EXPECT_EQ(origin.cy, -1.3);
    // The imaginary part grows downwards.
    EXPECT_GT(PixelToPoint(0, 10).cy, origin.cy);
    EXPECT_EQ(PixelToPoint(267, 0).cx, -1.0);
}

TEST_F(ViewTest, HeightNeverEntersTheScales) {
    UpdateScales(640);
    double x = pixelsPerUnitX;
    double y = pixelsPerUnitY;
    UpdateScales(640);
    EXPECT_EQ(pixelsPerUnitX, x);
    EXPECT_EQ(pixelsPerUnitY, y);
    UpdateScales(1280);
    EXPECT_EQ(pixelsPerUnitX, 1281.0 / 3.0);
}

TEST_F(ViewTest, ZoomThenBackRoundTrips) {
    UpdateScales(800);
    ZoomToSelection(Rect{267, 0, 667, 300}, 800);
    EXPECT_EQ(reLeft, -1.0);
    EXPECT_EQ(imOffset, 1.3);
    EXPECT_EQ(reSpan, 1.5);
    EXPECT_EQ(historyCount, 1);

    StepBack();
    EXPECT_EQ(reLeft, -2.0);
    EXPECT_EQ(imOffset, 1.3);
    EXPECT_EQ(reSpan, 3.0);
    EXPECT_EQ(historyCount, 0);
}

TEST_F(ViewTest, ZoomUsesTopAndNegativeCorners) {
    UpdateScales(800);
    ZoomToSelection(Rect{-267, 219, 133, 519}, 800);
    EXPECT_EQ(reLeft, -3.0);
    EXPECT_EQ(imOffset, 1.3 - 219.0 / pixelsPerUnitY);
    EXPECT_EQ(reSpan, 1.5);
}

TEST_F(ViewTest, StepBackOnEmptyHistoryKeepsTheStartView) {
    StepBack();
    EXPECT_EQ(reLeft, -2.0);
    EXPECT_EQ(imOffset, 1.3);
    EXPECT_EQ(reSpan, 3.0);
    EXPECT_EQ(historyCount, 0);
}

TEST_F(ViewTest, FullHistoryStillZoomsButStopsRecording) {
    double spanBeforeZoom[102];
    for (int zoom = 1; zoom <= 101; ++zoom) {
        UpdateScales(800);
        spanBeforeZoom[zoom] = reSpan;
        // Alternate the selection so every view differs.
        ZoomToSelection(Rect{zoom % 7, zoom % 5, 700 + zoom % 3, 500}, 800);
    }
    EXPECT_EQ(historyCount, 100);
    double deepest = reSpan;
    EXPECT_LT(deepest, spanBeforeZoom[101]);

    StepBack();
    EXPECT_EQ(historyCount, 99);
    EXPECT_EQ(reSpan, spanBeforeZoom[100]);  // the view current before the 100th zoom

    while (historyCount > 0) {
        StepBack();
    }
    EXPECT_EQ(reLeft, -2.0);
    EXPECT_EQ(imOffset, 1.3);
    EXPECT_EQ(reSpan, 3.0);
}

}  // namespace
