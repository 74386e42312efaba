// The few window operations the selection logic needs, and nothing else: the
// Windows shell implements them with USER and GDI calls, the tests with a fake
// window, so the state machine builds and runs without a window system.
#pragma once

#include <cstdint>

#include "core/rect.h"

// Opaque handles: a window (HWND on Windows) and a drawing context on its
// client area (an HDC from GetDC).
using WindowHandle = void*;
using ScreenContext = void*;

Rect QueryClientRect(WindowHandle window);

// Client-area drawing outside a paint; every acquire is paired with a release
// before the handler that made it returns.
ScreenContext AcquireScreen(WindowHandle window);
void ReleaseScreen(WindowHandle window, ScreenContext screen);

// Colours as GetPixel and SetPixel use them: 0x00BBGGRR.
std::uint32_t ReadScreenPixel(ScreenContext screen, std::int32_t x, std::int32_t y);
void WriteScreenPixel(ScreenContext screen, std::int32_t x, std::int32_t y, std::uint32_t colour);

// Whitens the one-pixel outline of r (columns left and right - 1, rows top and
// bottom - 1), clipped to the client area; the inside is left alone.
void DrawWhiteOutline(ScreenContext screen, const Rect& r);

// Marks an area (the whole client when area is null) for a repaint that first
// erases it to the background.
void InvalidateClient(WindowHandle window, const Rect* area);

void CaptureMouse(WindowHandle window);
void ReleaseMouseCapture();

// The up-arrow shown over a selection; it lasts until the pointer next moves.
void ShowSelectionCursor();
