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
    std::size_t k = 0;
    for (std::int32_t x = overlayRect.left; x < overlayRect.right; ++x, ++k) {
        WriteScreenPixel(screen, x, overlayRect.top, topEdge[k]);
        WriteScreenPixel(screen, x, overlayRect.bottom - 1, bottomEdge[k]);
    }
    k = 0;
    for (std::int32_t y = overlayRect.top; y < overlayRect.bottom; ++y, ++k) {
        WriteScreenPixel(screen, overlayRect.left, y, leftEdge[k]);
        WriteScreenPixel(screen, overlayRect.right - 1, y, rightEdge[k]);
    }
    overlayDrawn = false;
    ReleaseScreen(window, screen);
}

void RefreshOverlayUnderPaint(WindowHandle window, const Rect& paintRect) {
    Rect painted;
    if (interactionState != Dragging || !overlayDrawn ||
        !IntersectRects(&painted, paintRect, overlayRect)) {
        return;
    }
    ScreenContext screen = AcquireScreen(window);
    const std::int32_t lastRow = overlayRect.bottom - 1;
    const std::int32_t lastColumn = overlayRect.right - 1;
    std::size_t k = 0;
    for (std::int32_t x = overlayRect.left; x < overlayRect.right; ++x, ++k) {
        if (IsPointInRect(paintRect, Point{x, overlayRect.top})) {
            topEdge[k] = ReadScreenPixel(screen, x, overlayRect.top);
        }
        if (IsPointInRect(paintRect, Point{x, lastRow})) {
            bottomEdge[k] = ReadScreenPixel(screen, x, lastRow);
        }
    }
    k = 0;
    for (std::int32_t y = overlayRect.top; y < overlayRect.bottom; ++y, ++k) {
        if (IsPointInRect(paintRect, Point{overlayRect.left, y})) {
            leftEdge[k] = ReadScreenPixel(screen, overlayRect.left, y);
        }
        if (IsPointInRect(paintRect, Point{lastColumn, y})) {
            rightEdge[k] = ReadScreenPixel(screen, lastColumn, y);
        }
    }
    DrawWhiteOutline(screen, selectionRect);
    ReleaseScreen(window, screen);
}
