#include <gtest/gtest.h>

#include <cmath>

#include "core/view.h"
#include "tests/core_fixture.h"

namespace {

struct ViewState {
    double reLeft;
    double imOffset;
    double reSpan;
    std::int32_t historyCount;
    double pixelsPerUnitX;
    double pixelsPerUnitY;
};

// Copied during static initialisation, before main and so before any fixture
// puts its own values there: what the program starts with.
const ViewState kViewAtStartUp = {reLeft,       imOffset,       reSpan,
                                  historyCount, pixelsPerUnitX, pixelsPerUnitY};

TEST(ViewStartUpTest, TheProgramStartsOnTheWholeSetWithNoHistoryAndNoScales) {
    EXPECT_EQ(kViewAtStartUp.reLeft, -2.0);
    EXPECT_EQ(kViewAtStartUp.imOffset, 1.3);
    EXPECT_EQ(kViewAtStartUp.reSpan, 3.0);
    EXPECT_EQ(kViewAtStartUp.historyCount, 0);
    EXPECT_EQ(kViewAtStartUp.pixelsPerUnitX, 0.0);
    EXPECT_EQ(kViewAtStartUp.pixelsPerUnitY, 0.0);
}

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
    // 400 / 267 = 1.4981273408239701 and 219 / 218.94 = 1.000274047684297.
    PlanePoint inner = PixelToPoint(400, 219);
    EXPECT_EQ(inner.cx, -0.5018726591760299);
    EXPECT_EQ(inner.cy, -0.299725952315703);
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
    // 219 / (267 * 0.82) = 219 / 218.94 = 1.000274047684297; 1.3 minus that.
    EXPECT_EQ(imOffset, 0.299725952315703);
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

namespace {

class DeepZoomTest : public ::testing::Test {
   protected:
    void SetUp() override { ResetCoreState(); }
};

bool IsViewUsable() {
    return std::isfinite(reLeft) && std::isfinite(imOffset) && std::isnormal(reSpan) &&
           reSpan > 0.0;
}

TEST_F(DeepZoomTest, SmallestSelectionsNeverBreakTheView) {
    int accepted = 0;
    for (int zoom = 0; zoom < 200; ++zoom) {
        UpdateScales(1919);
        // One pixel, alternating corners of a large client.
        Rect pixel = zoom % 2 == 0 ? Rect{0, 0, 1, 1} : Rect{1918, 1079, 1919, 1080};
        double spanBefore = reSpan;
        if (ZoomToSelection(pixel, 1919)) {
            ++accepted;
            EXPECT_LT(reSpan, spanBefore);
        } else {
            EXPECT_EQ(reSpan, spanBefore);
        }
        ASSERT_TRUE(IsViewUsable()) << "after zoom " << zoom;
        UpdateScales(kMaxClientWidth);
        ASSERT_TRUE(std::isfinite(pixelsPerUnitX) && std::isfinite(pixelsPerUnitY));
        ASSERT_GE(historyCount, 0);
        ASSERT_LE(historyCount, kHistoryCapacity);
    }
    // 3 / 1919^n reaches the bottom of the doubles after about 93 zooms.
    EXPECT_GT(accepted, 80);
    EXPECT_LT(accepted, 200);
    EXPECT_EQ(historyCount, kHistoryCapacity < accepted ? kHistoryCapacity : accepted);

    for (int back = 0; back < accepted + 5; ++back) {
        StepBack();
        ASSERT_TRUE(IsViewUsable());
    }
    EXPECT_EQ(historyCount, 0);
    EXPECT_EQ(reLeft, -2.0);
    EXPECT_EQ(imOffset, 1.3);
    EXPECT_EQ(reSpan, 3.0);
}

TEST_F(DeepZoomTest, RefusedZoomLeavesViewAndHistory) {
    UpdateScales(800);
    ASSERT_TRUE(ZoomToSelection(Rect{10, 10, 200, 150}, 800));
    double left = reLeft;
    double offset = imOffset;
    double span = reSpan;
    // No width, a reversed selection, no client, and a span that would underflow.
    EXPECT_FALSE(ZoomToSelection(Rect{20, 20, 20, 30}, 800));
    EXPECT_FALSE(ZoomToSelection(Rect{40, 20, 20, 30}, 800));
    EXPECT_FALSE(ZoomToSelection(Rect{20, 20, 40, 30}, 0));
    reSpan = 1e-304;
    UpdateScales(800);
    EXPECT_FALSE(ZoomToSelection(Rect{0, 0, 1, 1}, 800));
    reSpan = span;
    EXPECT_EQ(reLeft, left);
    EXPECT_EQ(imOffset, offset);
    EXPECT_EQ(historyCount, 1);
}

TEST_F(DeepZoomTest, ZoomsJustInsideTheGuardAreAccepted) {
    // A client one pixel wide.
    UpdateScales(1);
    EXPECT_TRUE(ZoomToSelection(Rect{0, 0, 1, 1}, 1));
    EXPECT_EQ(reSpan, 3.0);
    // Near the smallest span whose scales stay finite on the widest client.
    reSpan = 4e-304;
    UpdateScales(800);
    EXPECT_TRUE(ZoomToSelection(Rect{0, 0, 800, 600}, 800));
    reSpan = 3.6e-304;
    UpdateScales(800);
    EXPECT_FALSE(ZoomToSelection(Rect{0, 0, 800, 600}, 800));
    EXPECT_EQ(historyCount, 2);
}

TEST_F(DeepZoomTest, ZoomBeforeAnyPaintIsRefused) {
    // No scales yet: the selection cannot be mapped to the plane.
    EXPECT_FALSE(ZoomToSelection(Rect{10, 10, 100, 80}, 800));
    EXPECT_EQ(historyCount, 0);
    EXPECT_EQ(reLeft, -2.0);
}

}  // namespace
