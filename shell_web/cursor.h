// The mouse cursors over the canvas: the arrow, the wait cursor of a render,
// and the up-arrow over a selection.
#pragma once

enum CursorKind {
    kArrowCursor,
    kWaitCursor,
    kUpArrowCursor,
};

// Draws the up-arrow into a picture the page can show as a cursor.
void CreateCursors();

// Shown when the current event has been handled (so the arrow a move asks for
// and the up-arrow the interaction sets in the same event never flicker).
void RequestCursor(CursorKind shape);
void ApplyRequestedCursor();

// Shown at once, for a render about to hold the page.
void ShowCursorNow(CursorKind shape);
