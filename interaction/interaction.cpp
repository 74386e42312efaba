#include "interaction/interaction.h"

#include <algorithm>
#include <cmath>

#include "core/view.h"
#include "interaction/overlay.h"
#include "interaction/selection_state.h"

namespace {

constexpr std::int32_t kMinSelectionSide = 8;
constexpr MessageWParam kBackCharUpper = 66;  // 'B'
constexpr MessageWParam kBackCharLower = 98;  // 'b'

// Positions left of or above the client arrive while the mouse is captured,
// so each half is read as signed.
Point PointFromLParam(MessageLParam lParam) {
    return Point{static_cast<std::int16_t>(lParam & 0xFFFF),
                 static_cast<std::int16_t>((lParam >> 16) & 0xFFFF)};
}

bool IsLeftButtonHeld(MessageWParam wParam) {
    return (wParam & kLeftButtonHeld) != 0;
}

void SetSelectionFromCorners(Point anchor, Point p) {
    selectionRect = Rect{std::min(anchor.x, p.x), std::min(anchor.y, p.y), std::max(anchor.x, p.x),
                         std::max(anchor.y, p.y)};
}

void StartDrag(WindowHandle window, Point p) {
    dragAnchor = p;
    CaptureMouse(window);
    interactionState = Dragging;
}

// Every way out of a drag gives the capture back.
void AbandonDrag(WindowHandle window) {
    EraseSelectionOverlay(window);
    ReleaseMouseCapture();
    interactionState = Idle;
}

// After the view changed the whole client is repainted, outline included, so
// the saved pixels are simply forgotten.
void ShowNewView(WindowHandle window) {
    overlayDrawn = false;
    interactionState = Idle;
    InvalidateClient(window, nullptr);
}

// A refused zoom (the view would no longer be usable) changes nothing: the
// selection stays shown, as after a click outside it.
void ZoomIntoSelection(WindowHandle window) {
    Rect client = QueryClientRect(window);
    if (ZoomToSelection(selectionRect, client.right - client.left)) {
        ShowNewView(window);
    }
}

void FinishDrag(WindowHandle window, Point p) {
    EraseSelectionOverlay(window);
    ReleaseMouseCapture();
    SetSelectionFromCorners(dragAnchor, p);
    std::int32_t width = selectionRect.right - selectionRect.left;
    std::int32_t height = selectionRect.bottom - selectionRect.top;
    if (width >= kMinSelectionSide && height >= kMinSelectionSide &&
        FitSelectionToClient(QueryClientRect(window))) {
        DrawSelectionOverlay(window);
        interactionState = Selected;
    } else {
        interactionState = Idle;
    }
}

}  // namespace

Point dragAnchor = {0, 0};
Point moveReference = {0, 0};

bool FitSelectionToClient(const Rect& client) {
    std::int64_t clientWidth = static_cast<std::int64_t>(client.right) - client.left;
    std::int64_t clientHeight = static_cast<std::int64_t>(client.bottom) - client.top;
    if (clientWidth <= 0 || clientHeight <= 0) {
        return false;
    }
    std::int64_t width = static_cast<std::int64_t>(selectionRect.right) - selectionRect.left;
    std::int64_t height = static_cast<std::int64_t>(selectionRect.bottom) - selectionRect.top;
    std::int64_t area = width * height * clientHeight / clientWidth;
    auto newHeight = static_cast<std::int64_t>(std::sqrt(static_cast<double>(area)));
    std::int64_t newWidth = newHeight * clientWidth / clientHeight;
    selectionRect.right = selectionRect.left + static_cast<std::int32_t>(newWidth);
    selectionRect.bottom = selectionRect.top + static_cast<std::int32_t>(newHeight);
    return true;
}

std::intptr_t OnChar(WindowHandle window, MessageWParam wParam, MessageLParam /*lParam*/) {
    if (wParam == kEscapeChar) {
        if (interactionState == Dragging) {
            AbandonDrag(window);
        } else if (interactionState == Selected) {
            EraseSelectionOverlay(window);
            interactionState = Idle;
        }
    } else if (wParam == kBackCharUpper || wParam == kBackCharLower) {
        if (interactionState == Dragging) {
            ReleaseMouseCapture();
        }
        StepBack();
        ShowNewView(window);
    }
    return 0;
}

std::intptr_t OnMouseMove(WindowHandle window, MessageWParam wParam, MessageLParam lParam) {
    Point p = PointFromLParam(lParam);
    switch (interactionState) {
        case Dragging:
            if (!IsLeftButtonHeld(wParam)) {
                AbandonDrag(window);
                break;
            }
            EraseSelectionOverlay(window);
            SetSelectionFromCorners(dragAnchor, p);
            if (selectionRect.bottom - selectionRect.top > kMinSelectionSide &&
                selectionRect.right - selectionRect.left > kMinSelectionSide) {
                DrawSelectionOverlay(window);
            }
            break;
        case Selected:
            if (IsPointInRect(selectionRect, p)) {
                ShowSelectionCursor();
            }
            break;
        case Moving:
            if (IsPointInRect(selectionRect, p)) {
                ShowSelectionCursor();
            }
            if (IsLeftButtonHeld(wParam)) {
                EraseSelectionOverlay(window);
                OffsetRectBy(&selectionRect, p.x - moveReference.x, p.y - moveReference.y);
                DrawSelectionOverlay(window);
                moveReference = p;
            }
            break;
        case Idle:
            break;
    }
    return 0;
}

std::intptr_t OnLeftButtonDown(WindowHandle window, MessageWParam /*wParam*/,
                               MessageLParam lParam) {
    Point p = PointFromLParam(lParam);
    switch (interactionState) {
        case Idle:
            StartDrag(window, p);
            break;
        case Dragging:
            AbandonDrag(window);
            break;
        case Selected:
            if (IsPointInRect(selectionRect, p)) {
                ShowSelectionCursor();
                moveReference = p;
                interactionState = Moving;
            } else {
                EraseSelectionOverlay(window);
                StartDrag(window, p);
            }
            break;
        case Moving:
            break;
    }
    return 0;
}

std::intptr_t OnLeftButtonUp(WindowHandle window, MessageWParam /*wParam*/, MessageLParam lParam) {
    switch (interactionState) {
        case Dragging:
            FinishDrag(window, PointFromLParam(lParam));
            break;
        case Selected:
            EraseSelectionOverlay(window);
            interactionState = Idle;
            break;
        case Moving:
            // Redrawn in place so the saved edges are fresh for the next move.
            EraseSelectionOverlay(window);
            DrawSelectionOverlay(window);
            ShowSelectionCursor();
            interactionState = Selected;
            break;
        case Idle:
            break;
    }
    return 0;
}

std::intptr_t OnRightButtonDown(WindowHandle window, MessageWParam /*wParam*/,
                                MessageLParam lParam) {
    if ((interactionState == Selected || interactionState == Moving) &&
        IsPointInRect(selectionRect, PointFromLParam(lParam))) {
        ZoomIntoSelection(window);
    }
    return 0;
}
