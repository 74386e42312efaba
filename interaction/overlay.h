// The white selection outline, drawn straight onto the window over the picture
// and removed again by restoring the pixels it covered, without re-rendering.
#pragma once

#include <cstdint>

#include "core/rect.h"
#include "interaction/window_seam.h"

// The part of selectionRect inside the client when the outline was last drawn:
// saving and restoring both address exactly these edges.
extern Rect overlayRect;

// Saves the edge pixels of the visible part of selectionRect, then whitens its
// outline; sets overlayDrawn. Callers erase first, so the outline itself is
// never saved as background.
void DrawSelectionOverlay(WindowHandle window);

// Restores the saved edges if an outline is shown; otherwise does nothing.
void EraseSelectionOverlay(WindowHandle window);

// Run by the paint handler after it drew paintRect while a drag's outline is
// shown: the fresh picture there is the background now, so the outline is
// taken off what the paint did not cover and drawn afresh over the new
// picture. Without this, the next erase would put back pixels saved before the
// paint, such as an old outline that was waiting for that very paint.
void RefreshOverlayUnderPaint(WindowHandle window, const Rect& paintRect);
