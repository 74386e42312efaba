// Puts the view, the selection state, the overlay and the fake window into
// their start-up state, so each test starts like a fresh process.
#pragma once

#include <cstdint>

#include "interaction/interaction.h"
#include "interaction/overlay.h"
#include "interaction/selection_state.h"
#include "tests/core_fixture.h"
#include "tests/fake_window.h"

// Nothing selected, nothing drawn, nothing dragged.
inline void ResetSelectionState() {
    interactionState = Idle;
    selectionRect = Rect{0, 0, 0, 0};
    overlayDrawn = false;
    overlayRect = Rect{0, 0, 0, 0};
    dragAnchor = Point{0, 0};
    moveReference = Point{0, 0};
}

// As after the first paint at start-up, which sets the scales for the client.
inline void ResetInteractionState(std::int32_t clientWidth, std::int32_t clientHeight) {
    ResetCoreState();
    ResetSelectionState();
    ResetFakeWindow(clientWidth, clientHeight);
    UpdateScales(clientWidth);
}
