// Process entry, the window, the event loop, and the dispatch of each event
// to its handler; also the cursors, which the loop, the paint and the
// interaction all switch between.
#pragma once

#include <SDL.h>

enum CursorShape {
    kArrowCursor,
    kWaitCursor,
    kUpArrowCursor,
};

// Shown when the current event has been handled (so the arrow a move asks for
// and the up-arrow the interaction sets in the same event never flicker).
void RequestCursor(CursorShape shape);
// Shown at once, for a render that blocks the loop.
void ShowCursorNow(CursorShape shape);

// Whether the interaction holds the mouse; set by the seam.
extern bool mouseCaptured;
