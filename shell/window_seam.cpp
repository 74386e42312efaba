// The interaction's window operations, on USER and GDI.
#include <windows.h>

#include "interaction/window_seam.h"

namespace {

HWND AsWindow(WindowHandle window) {
    return static_cast<HWND>(window);
}
HDC AsDc(ScreenContext screen) {
    return static_cast<HDC>(screen);
}

}  // namespace

Rect QueryClientRect(WindowHandle window) {
    RECT client = {};
    GetClientRect(AsWindow(window), &client);
    return Rect{static_cast<std::int32_t>(client.left), static_cast<std::int32_t>(client.top),
                static_cast<std::int32_t>(client.right), static_cast<std::int32_t>(client.bottom)};
}

ScreenContext AcquireScreen(WindowHandle window) {
    return GetDC(AsWindow(window));
}

void ReleaseScreen(WindowHandle window, ScreenContext screen) {
    ReleaseDC(AsWindow(window), AsDc(screen));
}

std::uint32_t ReadScreenPixel(ScreenContext screen, std::int32_t x, std::int32_t y) {
    return static_cast<std::uint32_t>(GetPixel(AsDc(screen), x, y));
}

void WriteScreenPixel(ScreenContext screen, std::int32_t x, std::int32_t y, std::uint32_t colour) {
    SetPixel(AsDc(screen), x, y, static_cast<COLORREF>(colour));
}

void DrawWhiteOutline(ScreenContext screen, const Rect& r) {
    // An empty rectangle has no outline; GDI might still mark a pixel for it,
    // and nothing would ever restore that pixel.
    if (IsRectEmpty(r)) {
        return;
    }
    // The window class has no private DC, so these settings end with ReleaseDC.
    HDC dc = AsDc(screen);
    SetROP2(dc, R2_WHITE);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

void InvalidateClient(WindowHandle window, const Rect* area) {
    if (area == nullptr) {
        InvalidateRect(AsWindow(window), nullptr, TRUE);
        return;
    }
    RECT r = {area->left, area->top, area->right, area->bottom};
    InvalidateRect(AsWindow(window), &r, TRUE);
}

void CaptureMouse(WindowHandle window) {
    SetCapture(AsWindow(window));
}

void ReleaseMouseCapture() {
    ReleaseCapture();
}

void ShowSelectionCursor() {
    SetCursor(LoadCursorW(nullptr, IDC_UPARROW));
}
