#include "interaction/selection_state.h"

InteractionState interactionState = Idle;
Rect selectionRect = {0, 0, 0, 0};
bool overlayDrawn = false;

void AbandonSelectionUnderPaint(WindowHandle window, const Rect& paintRect) {
    if (interactionState != Selected && interactionState != Moving) {
        return;
    }
    // The whole selection counts, not just its outline: its rectangle is
    // repainted, which also clears outline pieces outside this paint.
    Rect overlap;
    if (IntersectRects(&overlap, paintRect, selectionRect)) {
        InvalidateClient(window, &selectionRect);
        interactionState = Idle;
        overlayDrawn = false;
    }
}
