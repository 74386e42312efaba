// The selection state shared by the interaction, the overlay and the paint
// handler. All of it lives on the user-interface thread.
#pragma once

#include <cstdint>

#include "core/rect.h"
#include "interaction/window_seam.h"

enum InteractionState : std::int32_t {
    Idle = 0,      // nothing shown, nothing held
    Dragging = 1,  // left button held, a new selection being dragged out; mouse captured
    Selected = 2,  // a selection is shown
    Moving = 3,    // left button held inside the selection, which follows the mouse
};

extern InteractionState interactionState;

// Written only by the interaction; never cleared, meaningless in Idle.
extern Rect selectionRect;

// True while an outline is on screen and its saved background is valid.
extern bool overlayDrawn;

// Run by the paint handler after painting paintRect: a shown selection that
// the paint met has lost its saved background, so it is abandoned (without
// restoring anything) and its whole rectangle repainted.
void AbandonSelectionUnderPaint(WindowHandle window, const Rect& paintRect);
