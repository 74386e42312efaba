#include <gtest/gtest.h>

#include <algorithm>

#include "interaction/overlay.h"
#include "interaction/selection_state.h"
#include "tests/fake_window.h"
#include "tests/interaction_fixture.h"

namespace {

class OverlayTest : public ::testing::Test {
   protected:
    void SetUp() override { ResetInteractionState(800, 600); }

    // Draws selection, checks the screen and the bookkeeping, erases, and
    // checks that the picture is back pixel for pixel.
    void DrawAndErase(const Rect& selection, const Rect& expectedOverlay) {
        selectionRect = selection;
        DrawSelectionOverlay(FakeHandle());
        EXPECT_TRUE(overlayDrawn);
        EXPECT_EQ(overlayRect, expectedOverlay);
        // The outline is drawn unclipped; the window clips it.
        ASSERT_EQ(fakeWindow.outlines.size(), 1u);
        EXPECT_EQ(fakeWindow.outlines[0], selection);
        EXPECT_EQ(CountScreenMismatches(&selection), 0);

        // Each visible edge pixel is saved once per edge it belongs to.
        int edgePixels = 2 * (expectedOverlay.right - expectedOverlay.left) +
                         2 * (expectedOverlay.bottom - expectedOverlay.top);
        EXPECT_EQ(fakeWindow.pixelReads, edgePixels);

        // Erasing must not depend on selectionRect, which callers may change.
        selectionRect = Rect{1, 2, 3, 4};
        EraseSelectionOverlay(FakeHandle());
        EXPECT_FALSE(overlayDrawn);
        EXPECT_EQ(fakeWindow.pixelWrites, edgePixels);
        EXPECT_EQ(CountScreenMismatches(nullptr), 0);
        EXPECT_EQ(fakeWindow.screensAcquired, 2);
        EXPECT_EQ(fakeWindow.screensReleased, 2);
        EXPECT_EQ(fakeWindow.faults, 0);
    }
};

TEST_F(OverlayTest, DrawThenEraseRestoresEveryPixel) {
    DrawAndErase(Rect{100, 100, 262, 222}, Rect{100, 100, 262, 222});
}

TEST_F(OverlayTest, TinySelectionsRoundTrip) {
    DrawAndErase(Rect{10, 20, 11, 21}, Rect{10, 20, 11, 21});  // a single pixel
    ResetInteractionState(800, 600);
    DrawAndErase(Rect{10, 20, 12, 90}, Rect{10, 20, 12, 90});  // two columns
}

TEST_F(OverlayTest, SelectionOverTopLeftIsClipped) {
    DrawAndErase(Rect{-50, -40, 300, 200}, Rect{0, 0, 300, 200});
}

TEST_F(OverlayTest, ClippedOutlineShowsOnlyItsVisibleEdges) {
    selectionRect = Rect{-50, -40, 300, 200};
    DrawSelectionOverlay(FakeHandle());
    EXPECT_EQ(PixelAt(0, 0), TestPattern(0, 0));  // top and left edges lie outside
    EXPECT_EQ(PixelAt(150, 0), TestPattern(150, 0));
    EXPECT_EQ(PixelAt(0, 199), kWhite);                   // bottom edge
    EXPECT_EQ(PixelAt(299, 0), kWhite);                   // right edge
    EXPECT_EQ(PixelAt(298, 198), TestPattern(298, 198));  // inside stays
    EXPECT_EQ(PixelAt(300, 200), TestPattern(300, 200));  // right and bottom are exclusive
    EraseSelectionOverlay(FakeHandle());
    EXPECT_EQ(CountScreenMismatches(nullptr), 0);
}

TEST_F(OverlayTest, SelectionOverBottomRightIsClipped) {
    DrawAndErase(Rect{700, 500, 900, 700}, Rect{700, 500, 800, 600});
}

TEST_F(OverlayTest, SelectionCoveringTheClientShowsNoOutline) {
    DrawAndErase(Rect{-10, -10, 810, 610}, Rect{0, 0, 800, 600});
}

TEST_F(OverlayTest, SelectionWhollyOutsideSavesAndShowsNothing) {
    DrawAndErase(Rect{900, 100, 1000, 200}, Rect{0, 0, 0, 0});
}

TEST_F(OverlayTest, EmptySelectionSavesAndShowsNothing) {
    DrawAndErase(Rect{100, 100, 100, 300}, Rect{0, 0, 0, 0});
}

TEST_F(OverlayTest, EraseWithoutDrawChangesNothing) {
    selectionRect = Rect{100, 100, 262, 222};
    overlayRect = Rect{100, 100, 262, 222};
    EraseSelectionOverlay(FakeHandle());
    EXPECT_FALSE(overlayDrawn);
    EXPECT_EQ(fakeWindow.screensAcquired, 0);
    EXPECT_EQ(fakeWindow.pixelWrites, 0);
    EXPECT_EQ(CountScreenMismatches(nullptr), 0);
}

TEST_F(OverlayTest, ClientLargerThanTheDefaultEdgesRoundTrips) {
    ResetInteractionState(2600, 2300);
    DrawAndErase(Rect{5, 7, 2595, 2290}, Rect{5, 7, 2595, 2290});
    ResetInteractionState(2600, 2300);
    DrawAndErase(Rect{-100, -100, 2700, 2250}, Rect{0, 0, 2600, 2250});
    // A small selection after a large one still uses the front of the edges.
    ResetInteractionState(2600, 2300);
    DrawAndErase(Rect{2400, 2100, 2500, 2200}, Rect{2400, 2100, 2500, 2200});
}

TEST_F(OverlayTest, RepeatedRoundTripsAtMovingPositions) {
    for (int step = 0; step < 5; ++step) {
        ResetInteractionState(800, 600);
        DrawAndErase(Rect{-60 + 200 * step, 550 - 150 * step, 100 + 200 * step, 700 - 150 * step},
                     Rect{std::max(0, -60 + 200 * step), std::max(0, 550 - 150 * step),
                          std::min(800, 100 + 200 * step), std::min(600, 700 - 150 * step)});
    }
}

}  // namespace
