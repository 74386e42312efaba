#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/view.h"
#include "interaction/interaction.h"
#include "interaction/overlay.h"
#include "interaction/selection_state.h"
#include "tests/fake_window.h"
#include "tests/interaction_fixture.h"
#include "tests/interaction_invariants.h"

namespace {

constexpr MessageWParam kNoButtons = 0;

// The default drag, (100, 100) to (300, 200), snapped to an 800 x 600 client.
constexpr Rect kFittedSelection = {100, 100, 262, 222};

MessageLParam PositionParam(std::int32_t x, std::int32_t y) {
    auto low = static_cast<std::uint32_t>(static_cast<std::uint16_t>(x));
    auto high = static_cast<std::uint32_t>(static_cast<std::uint16_t>(y));
    return static_cast<MessageLParam>((high << 16) | low);
}

struct SelectionState {
    InteractionState state;
    Rect selection;
    bool drawn;
    Rect overlay;
    Point anchor;
    Point reference;
};

// Copied during static initialisation, before main and so before any fixture
// puts its own values there: what the program starts with.
const SelectionState kSelectionAtStartUp = {interactionState, selectionRect, overlayDrawn,
                                            overlayRect,      dragAnchor,    moveReference};

TEST(SelectionStartUpTest, NothingIsSelectedDrawnOrDragged) {
    EXPECT_EQ(kSelectionAtStartUp.state, Idle);
    EXPECT_EQ(kSelectionAtStartUp.selection, (Rect{0, 0, 0, 0}));
    EXPECT_FALSE(kSelectionAtStartUp.drawn);
    EXPECT_EQ(kSelectionAtStartUp.overlay, (Rect{0, 0, 0, 0}));
    EXPECT_EQ(kSelectionAtStartUp.anchor, (Point{0, 0}));
    EXPECT_EQ(kSelectionAtStartUp.reference, (Point{0, 0}));
}

class InteractionTest : public ::testing::Test {
   protected:
    void SetUp() override { ResetInteractionState(800, 600); }

    // Every event goes through one of these, and every one ends with the
    // invariants checked.
    void Move(std::int32_t x, std::int32_t y, bool held = true) {
        SCOPED_TRACE("move to (" + std::to_string(x) + ", " + std::to_string(y) + ")" +
                     (held ? " held" : ""));
        EXPECT_EQ(
            OnMouseMove(FakeHandle(), held ? kLeftButtonHeld : kNoButtons, PositionParam(x, y)), 0);
        ExpectInvariants();
    }
    void LeftDown(std::int32_t x, std::int32_t y) {
        SCOPED_TRACE("left down at (" + std::to_string(x) + ", " + std::to_string(y) + ")");
        EXPECT_EQ(OnLeftButtonDown(FakeHandle(), kLeftButtonHeld, PositionParam(x, y)), 0);
        ExpectInvariants();
    }
    void LeftUp(std::int32_t x, std::int32_t y) {
        SCOPED_TRACE("left up at (" + std::to_string(x) + ", " + std::to_string(y) + ")");
        EXPECT_EQ(OnLeftButtonUp(FakeHandle(), kNoButtons, PositionParam(x, y)), 0);
        ExpectInvariants();
    }
    void RightDown(std::int32_t x, std::int32_t y) {
        SCOPED_TRACE("right down at (" + std::to_string(x) + ", " + std::to_string(y) + ")");
        EXPECT_EQ(OnRightButtonDown(FakeHandle(), 0x0002, PositionParam(x, y)), 0);
        ExpectInvariants();
    }
    void Char(MessageWParam c) {
        SCOPED_TRACE("char " + std::to_string(c));
        EXPECT_EQ(OnChar(FakeHandle(), c, 1), 0);
        ExpectInvariants();
    }

    // What the paint handler does with a paint rectangle: the picture comes
    // back there, then a selection it met is abandoned.
    void Paint(const Rect& area) { PaintLikeTheShell(area); }

    // Lets the window repaint everything invalidated so far, as the message
    // loop would once the queue is empty.
    void PaintPending() {
        PaintPendingLikeTheShell();
        ExpectInvariants();
    }

    void ExpectInvariants() { EXPECT_EQ(BrokenInvariant(), ""); }

    void ExpectStartView() {
        EXPECT_EQ(reLeft, -2.0);
        EXPECT_EQ(imOffset, 1.3);
        EXPECT_EQ(reSpan, 3.0);
        EXPECT_EQ(historyCount, 0);
    }

    void ExpectOnlyWholeClientInvalidated(std::size_t times) {
        ASSERT_EQ(fakeWindow.invalidations.size(), times);
        for (const Invalidation& invalidation : fakeWindow.invalidations) {
            EXPECT_TRUE(invalidation.wholeClient);
        }
    }

    void SelectDefault() {
        LeftDown(100, 100);
        Move(300, 200);
        LeftUp(300, 200);
        EXPECT_EQ(interactionState, Selected);
        EXPECT_EQ(selectionRect, kFittedSelection);
    }

    void StartMoving() {
        SelectDefault();
        LeftDown(150, 150);
        EXPECT_EQ(interactionState, Moving);
    }

    void StartDragWithOutline() {
        LeftDown(100, 100);
        Move(200, 180);
        EXPECT_EQ(interactionState, Dragging);
        EXPECT_TRUE(overlayDrawn);
    }
};

// Idle

TEST_F(InteractionTest, IdleIgnoresMovesReleasesRightClicksEscAndOtherKeys) {
    Move(10, 10, false);
    Move(20, 20, true);
    LeftUp(30, 30);
    RightDown(40, 40);
    Char(27);
    Char('x');
    EXPECT_EQ(interactionState, Idle);
    EXPECT_EQ(fakeWindow.captureCalls, 0);
    EXPECT_EQ(fakeWindow.releaseCalls, 0);
    EXPECT_EQ(fakeWindow.cursorSets, 0);
    EXPECT_EQ(fakeWindow.screensAcquired, 0);
    EXPECT_TRUE(fakeWindow.invalidations.empty());
    ExpectStartView();
    // A dropped selection keeps its rectangle, but a right click there is no zoom.
    SelectDefault();
    Char(27);
    RightDown(150, 150);
    EXPECT_EQ(interactionState, Idle);
    EXPECT_TRUE(fakeWindow.invalidations.empty());
    ExpectStartView();
}

TEST_F(InteractionTest, IdleLeftDownStartsADragWithCapture) {
    LeftDown(123, 45);
    EXPECT_EQ(interactionState, Dragging);
    EXPECT_EQ(dragAnchor, (Point{123, 45}));
    EXPECT_EQ(fakeWindow.captureCalls, 1);
    EXPECT_EQ(fakeWindow.cursorSets, 0);
    EXPECT_EQ(fakeWindow.screensAcquired, 0);
}

// Dragging

TEST_F(InteractionTest, DragOutlineShowsOnlyWhenBothSidesExceedEight) {
    LeftDown(100, 100);
    Move(108, 150);
    EXPECT_EQ(selectionRect, (Rect{100, 100, 108, 150}));  // written even when too small
    EXPECT_FALSE(overlayDrawn);
    Move(150, 108);
    EXPECT_EQ(selectionRect, (Rect{100, 100, 150, 108}));
    EXPECT_FALSE(overlayDrawn);
    Move(109, 109);
    EXPECT_EQ(selectionRect, (Rect{100, 100, 109, 109}));
    EXPECT_TRUE(overlayDrawn);
    Move(300, 200);
    EXPECT_TRUE(overlayDrawn);
    Move(105, 300);  // the old outline goes, no new one
    EXPECT_FALSE(overlayDrawn);
    Move(40, 30);  // up and left of the anchor
    EXPECT_EQ(selectionRect, (Rect{40, 30, 100, 100}));
    EXPECT_TRUE(overlayDrawn);
    EXPECT_EQ(interactionState, Dragging);
    EXPECT_EQ(fakeWindow.cursorSets, 0);
    EXPECT_EQ(fakeWindow.captureCalls, 1);
    EXPECT_EQ(fakeWindow.releaseCalls, 0);
}

TEST_F(InteractionTest, ReleaseSnapsTheDragToTheClientProportions) {
    LeftDown(100, 100);
    Move(300, 200);
    LeftUp(300, 200);
    EXPECT_EQ(interactionState, Selected);
    EXPECT_EQ(selectionRect, kFittedSelection);
    EXPECT_EQ(fakeWindow.releaseCalls, 1);
    EXPECT_EQ(fakeWindow.cursorSets, 0);
    EXPECT_EQ(PixelAt(100, 100), kWhite);
    EXPECT_EQ(PixelAt(261, 221), kWhite);
    EXPECT_EQ(PixelAt(299, 199), TestPattern(299, 199));  // the drawn corner is gone
    EXPECT_TRUE(fakeWindow.invalidations.empty());
}

TEST_F(InteractionTest, DragsTowardsAnyCornerGiveTheSameSelection) {
    const Point corners[][2] = {{{300, 200}, {100, 100}},
                                {{300, 100}, {100, 200}},
                                {{100, 200}, {300, 100}},
                                {{100, 100}, {300, 200}}};
    for (const auto& corner : corners) {
        ResetInteractionState(800, 600);
        LeftDown(corner[0].x, corner[0].y);
        Move(corner[1].x, corner[1].y);
        EXPECT_EQ(selectionRect, (Rect{100, 100, 300, 200}));
        LeftUp(corner[1].x, corner[1].y);
        EXPECT_EQ(selectionRect, kFittedSelection);
        EXPECT_EQ(interactionState, Selected);
    }
}

TEST_F(InteractionTest, ReleaseAtExactlyEightMakesASelection) {
    LeftDown(100, 100);
    Move(108, 108);
    EXPECT_FALSE(overlayDrawn);
    LeftUp(108, 108);
    EXPECT_EQ(interactionState, Selected);
    // 8 * 8 * 600 / 800 = 48, sqrt -> 6, 6 * 800 / 600 = 8.
    EXPECT_EQ(selectionRect, (Rect{100, 100, 108, 106}));
}

TEST_F(InteractionTest, ReleaseBelowEightDiscardsTheDrag) {
    const struct {
        Point end;
        Rect normalised;
    } cases[] = {{{107, 300}, {100, 100, 107, 300}},
                 {{300, 107}, {100, 100, 300, 107}},
                 {{100, 100}, {100, 100, 100, 100}},
                 {{93, 93}, {93, 93, 100, 100}}};
    for (const auto& c : cases) {
        ResetInteractionState(800, 600);
        LeftDown(100, 100);
        Move(c.end.x, c.end.y);
        LeftUp(c.end.x, c.end.y);
        EXPECT_EQ(interactionState, Idle);
        EXPECT_EQ(selectionRect, c.normalised);
        EXPECT_EQ(fakeWindow.releaseCalls, 1);
        EXPECT_TRUE(fakeWindow.outlines.empty());
    }
}

TEST_F(InteractionTest, DragBeyondTheTopLeftUsesNegativePositions) {
    LeftDown(50, 40);
    Move(-20, -30);
    EXPECT_EQ(selectionRect, (Rect{-20, -30, 50, 40}));
    EXPECT_TRUE(overlayDrawn);
    LeftUp(-20, -30);
    // 70 * 70 * 600 / 800 = 3675, sqrt -> 60, 60 * 800 / 600 = 80.
    EXPECT_EQ(selectionRect, (Rect{-20, -30, 60, 30}));
    EXPECT_EQ(interactionState, Selected);
    EXPECT_EQ(overlayRect, (Rect{0, 0, 60, 30}));
}

TEST_F(InteractionTest, DragBeyondTheBottomRightIsNotClamped) {
    LeftDown(700, 500);
    Move(1000, 800);
    LeftUp(1000, 800);
    // 300 * 300 * 600 / 800 = 67500, sqrt -> 259, 259 * 800 / 600 = 345.
    EXPECT_EQ(selectionRect, (Rect{700, 500, 1045, 759}));
    EXPECT_EQ(interactionState, Selected);
}

TEST_F(InteractionTest, MoveWithoutTheButtonEndsTheDrag) {
    StartDragWithOutline();
    Move(210, 190, false);
    EXPECT_EQ(interactionState, Idle);
    EXPECT_EQ(selectionRect, (Rect{100, 100, 200, 180}));  // not recomputed
    EXPECT_EQ(fakeWindow.releaseCalls, 1);
}

TEST_F(InteractionTest, SecondLeftPressEndsTheDrag) {
    StartDragWithOutline();
    LeftDown(400, 400);
    EXPECT_EQ(interactionState, Idle);
    EXPECT_EQ(dragAnchor, (Point{100, 100}));
    EXPECT_EQ(fakeWindow.captureCalls, 1);
    EXPECT_EQ(fakeWindow.releaseCalls, 1);
}

TEST_F(InteractionTest, EscEndsTheDrag) {
    StartDragWithOutline();
    Char(27);
    EXPECT_EQ(interactionState, Idle);
    EXPECT_EQ(fakeWindow.releaseCalls, 1);
    // A drag too small for an outline ends the same way.
    LeftDown(10, 10);
    Move(12, 12);
    Char(27);
    EXPECT_EQ(interactionState, Idle);
    EXPECT_EQ(fakeWindow.releaseCalls, 2);
}

TEST_F(InteractionTest, RightClickAndOtherKeysLeaveTheDragAlone) {
    StartDragWithOutline();
    RightDown(150, 150);
    Char('x');
    Char(27 + 256);
    EXPECT_EQ(interactionState, Dragging);
    EXPECT_TRUE(overlayDrawn);
    EXPECT_EQ(fakeWindow.releaseCalls, 0);
    EXPECT_EQ(historyCount, 0);
    Move(300, 200);
    LeftUp(300, 200);
    EXPECT_EQ(selectionRect, kFittedSelection);
}

TEST_F(InteractionTest, ReleaseInAClientWithNoAreaDiscardsTheSelection) {
    const Point sizes[] = {{800, 0}, {0, 600}, {0, 0}};
    for (Point size : sizes) {
        ResetInteractionState(size.x, size.y);
        LeftDown(10, 10);
        Move(200, 150);
        std::size_t outlinesBefore = fakeWindow.outlines.size();
        LeftUp(200, 150);
        EXPECT_EQ(interactionState, Idle);
        EXPECT_FALSE(overlayDrawn);
        EXPECT_EQ(selectionRect, (Rect{10, 10, 200, 150}));
        EXPECT_EQ(fakeWindow.outlines.size(), outlinesBefore);
        EXPECT_EQ(fakeWindow.releaseCalls, 1);
    }
}

// Selected

TEST_F(InteractionTest, PointerOverTheSelectionShowsTheUpArrow) {
    SelectDefault();
    EXPECT_EQ(fakeWindow.cursorSets, 0);
    const struct {
        Point p;
        bool held;
        int cursorSets;
    } steps[] = {{{150, 150}, false, 1}, {{261, 221}, false, 2}, {{262, 150}, false, 2},
                 {{99, 150}, false, 2},  {{150, 222}, false, 2}, {{100, 100}, true, 3}};
    for (const auto& step : steps) {
        Move(step.p.x, step.p.y, step.held);
        EXPECT_EQ(fakeWindow.cursorSets, step.cursorSets);
        EXPECT_EQ(interactionState, Selected);
        EXPECT_EQ(selectionRect, kFittedSelection);
    }
}

TEST_F(InteractionTest, PressInsideStartsMovingWithoutCapture) {
    SelectDefault();
    int acquired = fakeWindow.screensAcquired;
    LeftDown(150, 160);
    EXPECT_EQ(interactionState, Moving);
    EXPECT_EQ(moveReference, (Point{150, 160}));
    EXPECT_EQ(fakeWindow.cursorSets, 1);
    EXPECT_EQ(fakeWindow.captureCalls, 1);
    EXPECT_EQ(fakeWindow.screensAcquired, acquired);  // the outline stays
    EXPECT_EQ(selectionRect, kFittedSelection);
}

TEST_F(InteractionTest, PressOutsideStartsANewDrag) {
    SelectDefault();
    LeftDown(400, 300);
    EXPECT_EQ(interactionState, Dragging);
    EXPECT_EQ(dragAnchor, (Point{400, 300}));
    EXPECT_FALSE(overlayDrawn);
    EXPECT_EQ(fakeWindow.captureCalls, 2);
    EXPECT_EQ(fakeWindow.cursorSets, 0);
    Move(500, 400);
    EXPECT_EQ(selectionRect, (Rect{400, 300, 500, 400}));
    EXPECT_TRUE(overlayDrawn);
}

TEST_F(InteractionTest, ReleaseOrEscDropsTheSelection) {
    SelectDefault();
    LeftUp(10, 10);  // a press that began outside the client, e.g. on the caption
    EXPECT_EQ(interactionState, Idle);
    SelectDefault();
    Char(27);
    EXPECT_EQ(interactionState, Idle);
    EXPECT_TRUE(fakeWindow.invalidations.empty());
}

TEST_F(InteractionTest, RightClickOutsideAndOtherKeysLeaveTheSelection) {
    SelectDefault();
    RightDown(262, 222);
    RightDown(99, 150);
    RightDown(150, 99);
    Char('a');
    Char('c');
    Char(66 + 256);
    Char(98 + 256);
    EXPECT_EQ(interactionState, Selected);
    EXPECT_EQ(selectionRect, kFittedSelection);
    EXPECT_TRUE(fakeWindow.invalidations.empty());
    ExpectStartView();
}

TEST_F(InteractionTest, AnEmptyFittedSelectionCannotBeZoomedInto) {
    ResetInteractionState(10, 1000);
    LeftDown(1, 1);
    LeftUp(9, 9);
    // 8 * 8 * 1000 / 10 = 6400, sqrt -> 80, 80 * 10 / 1000 = 0.
    EXPECT_EQ(selectionRect, (Rect{1, 1, 1, 81}));
    EXPECT_EQ(interactionState, Selected);
    RightDown(1, 1);
    EXPECT_EQ(interactionState, Selected);
    EXPECT_EQ(historyCount, 0);
    LeftDown(1, 1);
    EXPECT_EQ(interactionState, Dragging);
}

// Moving

TEST_F(InteractionTest, DraggingTheInsideMovesTheSelectionWithoutTraces) {
    StartMoving();
    Move(170, 140);
    EXPECT_EQ(selectionRect, (Rect{120, 90, 282, 212}));
    EXPECT_EQ(moveReference, (Point{170, 140}));
    Move(100, 300);
    EXPECT_EQ(selectionRect, (Rect{50, 250, 212, 372}));
    Move(-100, 700);  // partly off the client: clipped, not clamped
    EXPECT_EQ(selectionRect, (Rect{-150, 650, 12, 772}));
    Move(150, 150);
    EXPECT_EQ(selectionRect, kFittedSelection);
    EXPECT_EQ(interactionState, Moving);
    EXPECT_EQ(fakeWindow.captureCalls, 1);
}

TEST_F(InteractionTest, MovingTestsTheCursorBeforeShifting) {
    StartMoving();
    EXPECT_EQ(fakeWindow.cursorSets, 1);
    Move(400, 150);  // outside where the selection was, inside where it lands
    EXPECT_EQ(selectionRect, (Rect{350, 100, 512, 222}));
    EXPECT_EQ(fakeWindow.cursorSets, 1);
    Move(400, 150);
    EXPECT_EQ(fakeWindow.cursorSets, 2);
    EXPECT_EQ(selectionRect, (Rect{350, 100, 512, 222}));
}

TEST_F(InteractionTest, MovingWithoutTheButtonOnlySetsTheCursor) {
    StartMoving();
    int acquired = fakeWindow.screensAcquired;
    Move(160, 160, false);
    Move(600, 500, false);
    EXPECT_EQ(fakeWindow.cursorSets, 2);
    EXPECT_EQ(selectionRect, kFittedSelection);
    EXPECT_EQ(moveReference, (Point{150, 150}));
    EXPECT_EQ(fakeWindow.screensAcquired, acquired);
    EXPECT_EQ(interactionState, Moving);
}

TEST_F(InteractionTest, ReleaseEndsTheMoveWithAFreshOutline) {
    StartMoving();
    Move(170, 170);
    fakeWindow.log.clear();
    LeftUp(500, 500);
    EXPECT_EQ(interactionState, Selected);
    EXPECT_EQ(selectionRect, (Rect{120, 120, 282, 242}));
    const std::vector<std::string> expected = {"acquire", "release screen", "acquire",
                                               "outline", "release screen", "cursor"};
    EXPECT_EQ(fakeWindow.log, expected);
}

TEST_F(InteractionTest, MovingIgnoresPressesEscAndRightClicksOutside) {
    StartMoving();
    LeftDown(500, 500);
    Char(27);
    Char('q');
    RightDown(10, 10);
    EXPECT_EQ(interactionState, Moving);
    EXPECT_EQ(selectionRect, kFittedSelection);
    EXPECT_EQ(moveReference, (Point{150, 150}));
    EXPECT_EQ(fakeWindow.captureCalls, 1);
    EXPECT_EQ(historyCount, 0);
}

TEST_F(InteractionTest, ReleaseOutsideTheWindowKeepsMoving) {
    StartMoving();
    // The release happened elsewhere, so no message came; the next press is
    // ignored and the move goes on from the old reference.
    LeftDown(200, 200);
    EXPECT_EQ(moveReference, (Point{150, 150}));
    Move(160, 155);
    EXPECT_EQ(selectionRect, (Rect{110, 105, 272, 227}));
    LeftUp(160, 155);
    EXPECT_EQ(interactionState, Selected);
}

// Zoom

TEST_F(InteractionTest, RightClickInsideZoomsOntoTheSelection) {
    ResetInteractionState(1000, 500);
    LeftDown(100, 100);
    LeftUp(300, 200);
    // 200 * 100 * 500 / 1000 = 10000, sqrt -> 100, 100 * 1000 / 500 = 200.
    EXPECT_EQ(selectionRect, (Rect{100, 100, 300, 200}));
    int acquired = fakeWindow.screensAcquired;
    RightDown(299, 199);
    EXPECT_EQ(interactionState, Idle);
    EXPECT_FALSE(overlayDrawn);
    EXPECT_EQ(fakeWindow.screensAcquired, acquired);  // no restore: the repaint covers it
    ExpectOnlyWholeClientInvalidated(1);
    EXPECT_EQ(historyCount, 1);
    EXPECT_EQ(historyReLeft[0], -2.0);
    EXPECT_EQ(historyImOffset[0], 1.3);
    EXPECT_EQ(historyReSpan[0], 3.0);
    EXPECT_EQ(reLeft, -2.0 + 100.0 / (1001.0 / 3.0));
    // 100 / (1001 / 3 * 0.82) = 100 / 273.60666... = 0.3654881703662191.
    EXPECT_EQ(imOffset, 0.9345118296337809);
    EXPECT_EQ(reSpan, 200.0 * 3.0 / 1000.0);  // scaled by the client width
    PaintPending();
    EXPECT_EQ(interactionState, Idle);
}

TEST_F(InteractionTest, ZoomOntoASelectionOffTheTopLeft) {
    LeftDown(50, 40);
    LeftUp(-20, -30);
    RightDown(0, 0);
    EXPECT_EQ(interactionState, Idle);
    EXPECT_EQ(reLeft, -2.0 + -20.0 / 267.0);
    EXPECT_EQ(imOffset, 1.437023842148534);  // 1.3 + 30 / 218.94 = 1.3 + 0.137023842...
    EXPECT_EQ(reSpan, 80.0 * 3.0 / 800.0);
}

TEST_F(InteractionTest, RefusedZoomKeepsTheSelectionShown) {
    // A span this small cannot shrink further and keep finite scales.
    reSpan = 1e-304;
    UpdateScales(800);
    SelectDefault();
    RightDown(150, 150);
    EXPECT_EQ(interactionState, Selected);
    EXPECT_TRUE(overlayDrawn);
    EXPECT_EQ(historyCount, 0);
    EXPECT_EQ(reSpan, 1e-304);
    EXPECT_TRUE(fakeWindow.invalidations.empty());
    // Esc still takes the outline away cleanly.
    Char(27);
    EXPECT_EQ(interactionState, Idle);
}

TEST_F(InteractionTest, RightClickInsideWhileMovingZooms) {
    StartMoving();
    Move(160, 170);
    RightDown(200, 200);
    EXPECT_EQ(interactionState, Idle);
    EXPECT_EQ(historyCount, 1);
    EXPECT_EQ(reLeft, -2.0 + 110.0 / 267.0);
    ExpectOnlyWholeClientInvalidated(1);
    // The left button comes up in Idle and changes nothing.
    int acquired = fakeWindow.screensAcquired;
    LeftUp(200, 200);
    EXPECT_EQ(interactionState, Idle);
    EXPECT_EQ(fakeWindow.screensAcquired, acquired);
    ExpectOnlyWholeClientInvalidated(1);
}

// Back

TEST_F(InteractionTest, BackReturnsToTheViewBeforeTheZoom) {
    SelectDefault();
    RightDown(150, 150);
    PaintPending();
    EXPECT_EQ(historyCount, 1);
    Char('B');
    ExpectStartView();
    EXPECT_EQ(interactionState, Idle);
    ExpectOnlyWholeClientInvalidated(2);
}

TEST_F(InteractionTest, BackWorksFromEveryState) {
    const std::vector<std::pair<InteractionState, std::function<void()>>> setups = {
        {Idle, [] {}},
        {Dragging, [this] { LeftDown(100, 100); }},
        {Dragging, [this] { StartDragWithOutline(); }},
        {Selected, [this] { SelectDefault(); }},
        {Moving, [this] { StartMoving(); }},
    };
    for (MessageWParam back : {MessageWParam{66}, MessageWParam{98}}) {
        for (const auto& setup : setups) {
            SCOPED_TRACE("state " + std::to_string(setup.first) + ", char " + std::to_string(back));
            ResetInteractionState(800, 600);
            historyReLeft[0] = -1.0;
            historyImOffset[0] = 0.5;
            historyReSpan[0] = 1.25;
            historyCount = 1;
            setup.second();
            ASSERT_EQ(interactionState, setup.first);
            int releases = fakeWindow.releaseCalls;
            int acquired = fakeWindow.screensAcquired;
            Char(back);
            EXPECT_EQ(interactionState, Idle);
            EXPECT_FALSE(overlayDrawn);
            EXPECT_EQ(fakeWindow.releaseCalls, releases + (setup.first == Dragging ? 1 : 0));
            EXPECT_EQ(fakeWindow.screensAcquired, acquired);
            ExpectOnlyWholeClientInvalidated(1);
            EXPECT_EQ(reLeft, -1.0);
            EXPECT_EQ(imOffset, 0.5);
            EXPECT_EQ(reSpan, 1.25);
            EXPECT_EQ(historyCount, 0);
            PaintPending();
        }
    }
}

TEST_F(InteractionTest, BackWithNoSavedViewsRepaintsTheStartView) {
    SelectDefault();
    Char('b');
    EXPECT_EQ(interactionState, Idle);
    ExpectStartView();
    ExpectOnlyWholeClientInvalidated(1);
    PaintPending();
}

TEST_F(InteractionTest, OnlyUpperAndLowerBGoBack) {
    const MessageWParam others[] = {0, 8, 13, 'A', 'C', 'a', 'c', 'v', 66 + 256, 98 + 65536};
    for (MessageWParam c : others) {
        ResetInteractionState(800, 600);
        historyCount = 1;
        SelectDefault();
        Char(c);
        EXPECT_EQ(interactionState, Selected) << "char " << c;
        EXPECT_EQ(historyCount, 1) << "char " << c;
        EXPECT_TRUE(fakeWindow.invalidations.empty()) << "char " << c;
    }
}

// Paint

TEST_F(InteractionTest, PaintMeetingTheSelectionAbandonsIt) {
    SelectDefault();
    int acquired = fakeWindow.screensAcquired;
    Paint(Rect{0, 0, 120, 120});
    EXPECT_EQ(interactionState, Idle);
    EXPECT_FALSE(overlayDrawn);
    EXPECT_EQ(fakeWindow.screensAcquired, acquired);
    ASSERT_EQ(fakeWindow.invalidations.size(), 1u);
    EXPECT_FALSE(fakeWindow.invalidations[0].wholeClient);
    EXPECT_EQ(fakeWindow.invalidations[0].area, kFittedSelection);
    PaintPending();
}

TEST_F(InteractionTest, PaintWhollyInsideTheSelectionStillAbandonsIt) {
    SelectDefault();
    Paint(Rect{150, 150, 200, 200});
    EXPECT_EQ(interactionState, Idle);
    ASSERT_EQ(fakeWindow.invalidations.size(), 1u);
    EXPECT_EQ(fakeWindow.invalidations[0].area, kFittedSelection);
    PaintPending();
}

TEST_F(InteractionTest, PaintElsewhereLeavesTheSelection) {
    SelectDefault();
    // Each touches the selection's edge from outside: no pixel in common.
    Paint(Rect{262, 222, 500, 400});
    Paint(Rect{0, 0, 100, 600});
    Paint(Rect{262, 0, 800, 600});
    Paint(Rect{0, 0, 800, 100});
    Paint(Rect{0, 222, 800, 600});
    EXPECT_EQ(interactionState, Selected);
    EXPECT_TRUE(fakeWindow.invalidations.empty());
    ExpectInvariants();
}

TEST_F(InteractionTest, PaintDuringAMoveEndsIt) {
    StartMoving();
    Paint(Rect{0, 0, 800, 600});
    EXPECT_EQ(interactionState, Idle);
    PaintPending();
    Move(200, 200);
    LeftUp(200, 200);
    EXPECT_EQ(interactionState, Idle);
    EXPECT_EQ(selectionRect, kFittedSelection);
}

TEST_F(InteractionTest, PaintDuringADragLeavesItAlone) {
    StartDragWithOutline();
    Paint(Rect{90, 90, 300, 300});  // paints over the live outline
    EXPECT_EQ(interactionState, Dragging);
    EXPECT_TRUE(overlayDrawn);
    EXPECT_TRUE(fakeWindow.invalidations.empty());
    Move(250, 220);  // erases from the saved pixels and draws afresh
    EXPECT_EQ(selectionRect, (Rect{100, 100, 250, 220}));
}

TEST_F(InteractionTest, DragBegunBeforeTheZoomRepaintLeavesNoStaleOutline) {
    SelectDefault();
    RightDown(150, 150);  // the old outline stays on screen until the repaint
    LeftDown(120, 50);
    Move(300, 160);  // the new outline crosses the old one and saves its white
    PaintPending();
    Move(310, 170);
    EXPECT_EQ(CountScreenMismatches(&selectionRect), 0);
    LeftUp(310, 170);
    Char(27);
    EXPECT_EQ(CountScreenMismatches(nullptr), 0);
}

// FitSelectionToClient

TEST_F(InteractionTest, FitKeepsTheCornerAndTakesTheClientProportions) {
    const struct {
        Rect client;
        Rect selection;
        Rect fitted;
    } cases[] = {
        {{0, 0, 800, 600}, {100, 100, 300, 200}, {100, 100, 262, 222}},
        {{10, 20, 810, 620}, {100, 100, 300, 200}, {100, 100, 262, 222}},
        {{0, 0, 800, 600}, {-50, -60, 150, 40}, {-50, -60, 112, 62}},
        {{0, 0, 500, 500}, {0, 0, 100, 400}, {0, 0, 200, 200}},
        {{0, 0, 1000, 10}, {0, 0, 100, 100}, {0, 0, 1000, 10}},
        {{0, 0, 10, 1000}, {5, 5, 13, 13}, {5, 5, 5, 85}},
        // One pixel wide or high still has proportions.
        {{0, 0, 1, 600}, {0, 0, 8, 8}, {0, 0, 0, 195}},
        {{0, 0, 800, 1}, {0, 0, 100, 100}, {0, 0, 2400, 3}},
        // w * h * H overflows 32 bits here.
        {{0, 0, 30000, 20000}, {0, 0, 30000, 20000}, {0, 0, 30000, 20000}},
    };
    for (const auto& c : cases) {
        selectionRect = c.selection;
        EXPECT_TRUE(FitSelectionToClient(c.client));
        EXPECT_EQ(selectionRect, c.fitted);
    }
}

TEST_F(InteractionTest, FitRefusesAClientWithNoArea) {
    const Rect clients[] = {{0, 0, 0, 600}, {0, 0, 800, 0}, {0, 0, 0, 0}};
    for (const Rect& client : clients) {
        selectionRect = Rect{100, 100, 300, 200};
        EXPECT_FALSE(FitSelectionToClient(client));
        EXPECT_EQ(selectionRect, (Rect{100, 100, 300, 200}));
    }
}

}  // namespace
