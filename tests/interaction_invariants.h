// The rules the selection state, its outline, the fake window and the view
// keep after every event, checked alike by the unit tests and the fuzzer.
#pragma once

#include <cmath>
#include <string>

#include "core/view.h"
#include "interaction/overlay.h"
#include "interaction/selection_state.h"
#include "tests/fake_window.h"

// The first rule broken, or an empty string when all hold.
inline std::string BrokenInvariant() {
    // The outline flag follows the state.
    if (interactionState == Idle && overlayDrawn) {
        return "outline flagged in Idle";
    }
    if ((interactionState == Selected || interactionState == Moving) && !overlayDrawn) {
        return "no outline flagged while a selection is shown";
    }
    if (interactionState == Dragging && overlayDrawn &&
        !(selectionRect.bottom - selectionRect.top > 8 &&
          selectionRect.right - selectionRect.left > 8)) {
        return "drag outline shown with a side of 8 pixels or less";
    }
    // Until the client changes size, the saved edges are those of the visible
    // selection and every pixel written lies in the client.
    if (fakeWindow.resizes == 0) {
        Rect visible;
        IntersectRects(&visible, Rect{0, 0, fakeWindow.width, fakeWindow.height}, selectionRect);
        if (overlayDrawn && !(overlayRect == visible)) {
            return "saved edges are not those of the visible selection";
        }
        if (fakeWindow.faults != 0) {
            return "window seam misused";
        }
    }
    // The capture is held exactly while dragging, never taken or given back
    // twice, and every drawing context is given back.
    if (fakeWindow.captureHeld != (interactionState == Dragging)) {
        return "capture held outside Dragging, or missing in it";
    }
    if (fakeWindow.capturesWhileHeld != 0 || fakeWindow.releasesWithoutCapture != 0) {
        return "capture taken or released twice";
    }
    if (fakeWindow.screensAcquired != fakeWindow.screensReleased) {
        return "drawing context not released";
    }
    if (!(std::isfinite(reLeft) && std::isfinite(imOffset) && std::isnormal(reSpan) &&
          reSpan > 0.0)) {
        return "view not usable";
    }
    if (historyCount < 0 || historyCount > kHistoryCapacity) {
        return "history count out of range";
    }
    // The picture shows exactly the current outline, nothing of old ones.
    if (CountScreenMismatches(overlayDrawn ? &selectionRect : nullptr) != 0) {
        return "screen differs from the picture plus the current outline";
    }
    return "";
}
