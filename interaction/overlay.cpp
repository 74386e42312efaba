#include "interaction/overlay.h"

#include <cstddef>
#include <vector>

#include "interaction/selection_state.h"

namespace {

// Enough for any ordinary screen; a larger client grows the edges on demand
// so the outline always stays removable.
constexpr std::size_t kEdgeCapacity = 2000;

std::vector<std::uint32_t> topEdge(kEdgeCapacity);
std::vector<std::uint32_t> bottomEdge(kEdgeCapacity);
std::vector<std::uint32_t> leftEdge(kEdgeCapacity);
std::vector<std::uint32_t> rightEdge(kEdgeCapacity);

void EnsureEdgeRoom(std::vector<std::uint32_t>* edge, std::int32_t pixels) {
    if (pixels > 0 && static_cast<std::size_t>(pixels) > edge->size()) {
        edge->resize(static_cast<std::size_t>(pixels));
    }
}

}  // namespace

Rect overlayRect = {0, 0, 0, 0};

namespace {

// Writes the saved edges back, except where they lie inside *skip.
void RestoreEdges(ScreenContext screen, const Rect* skip) {
    auto restore = [screen, skip](std::int32_t x, std::int32_t y, std::uint32_t colour) {
        if (skip == nullptr || !IsPointInRect(*skip, Point{x, y})) {
            WriteScreenPixel(screen, x, y, colour);
        }
    };
    std::size_t k = 0;
    for (std::int32_t x = overlayRect.left; x < overlayRect.right; ++x, ++k) {
        restore(x, overlayRect.top, topEdge[k]);
        restore(x, overlayRect.bottom - 1, bottomEdge[k]);
    }
    k = 0;
    for (std::int32_t y = overlayRect.top; y < overlayRect.bottom; ++y, ++k) {
        restore(overlayRect.left, y, leftEdge[k]);
        restore(overlayRect.right - 1, y, rightEdge[k]);
    }
}

}  // namespace

void DrawSelectionOverlay(WindowHandle window) {
    ScreenContext screen = AcquireScreen(window);
    Rect client = QueryClientRect(window);
    IntersectRects(&overlayRect, client, selectionRect);

    std::int32_t width = overlayRect.right - overlayRect.left;
    std::int32_t height = overlayRect.bottom - overlayRect.top;
    EnsureEdgeRoom(&topEdge, width);
    EnsureEdgeRoom(&bottomEdge, width);
    EnsureEdgeRoom(&leftEdge, height);
    EnsureEdgeRoom(&rightEdge, height);

    std::size_t k = 0;
    for (std::int32_t x = overlayRect.left; x < overlayRect.right; ++x, ++k) {
        topEdge[k] = ReadScreenPixel(screen, x, overlayRect.top);
        bottomEdge[k] = ReadScreenPixel(screen, x, overlayRect.bottom - 1);
    }
    k = 0;
    for (std::int32_t y = overlayRect.top; y < overlayRect.bottom; ++y, ++k) {
        leftEdge[k] = ReadScreenPixel(screen, overlayRect.left, y);
        rightEdge[k] = ReadScreenPixel(screen, overlayRect.right - 1, y);
    }
    overlayDrawn = true;

    // The unclipped rectangle: its visible edges are exactly the ones saved.
    DrawWhiteOutline(screen, selectionRect);
    ReleaseScreen(window, screen);
}

void EraseSelectionOverlay(WindowHandle window) {
    if (!overlayDrawn) {
        return;
    }
    ScreenContext screen = AcquireScreen(window);
    RestoreEdges(screen, nullptr);
    overlayDrawn = false;
    ReleaseScreen(window, screen);
}

void RefreshOverlayUnderPaint(WindowHandle window, const Rect& paintRect) {
    if (interactionState != Dragging || !overlayDrawn) {
        return;
    }
    // Where the paint did not reach, the outline still shows: put the saved
    // pixels back there, and the whole outline is gone. Then draw it afresh,
    // saving the new background against the client as it is now.
    ScreenContext screen = AcquireScreen(window);
    RestoreEdges(screen, &paintRect);
    overlayDrawn = false;
    ReleaseScreen(window, screen);
    DrawSelectionOverlay(window);
}
