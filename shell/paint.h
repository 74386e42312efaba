// WM_PAINT: render the damaged rectangle for the current view and put it on
// screen as one unscaled GDI+ 32-bit ARGB bitmap.
#pragma once

#include <windows.h>

LRESULT OnPaint(HWND window);

// Renders area (client coordinates) and draws it in place on dc; false when
// nothing could be drawn.
bool PresentRegion(HDC dc, const RECT& area);
