// The mouse cursors: the arrow, the wait cursor of a render, and the
// up-arrow over a selection.
#pragma once

enum CursorKind {
    kArrowCursor,
    kWaitCursor,
    kUpArrowCursor,
};

// Made once SDL's video runs, freed before it stops.
void CreateCursors();
void FreeCursors();

// Shown when the current event has been handled (so the arrow a move asks for
// and the up-arrow the interaction sets in the same event never flicker).
void RequestCursor(CursorKind shape);
void ApplyRequestedCursor();

// Shown at once, for a render that blocks the loop.
void ShowCursorNow(CursorKind shape);
