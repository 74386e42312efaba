// The mouse-and-keyboard state machine: drag out a selection, snap it to the
// client's proportions, move it, cancel it, zoom into it, step back.
#pragma once

#include <cstdint>

#include "core/rect.h"
#include "interaction/window_seam.h"

// Message parameters as the window system delivers them (WPARAM, LPARAM):
// positions are two signed 16-bit halves of lParam, x low, y high.
using MessageWParam = std::uintptr_t;
using MessageLParam = std::intptr_t;

constexpr MessageWParam kLeftButtonHeld = 0x0001;  // MK_LBUTTON
constexpr MessageWParam kEscapeChar = 27;

extern Point dragAnchor;     // where the current drag began
extern Point moveReference;  // the mouse point last used to move the selection

// Handlers of the character and mouse messages; each returns 0.
std::intptr_t OnChar(WindowHandle window, MessageWParam wParam, MessageLParam lParam);
std::intptr_t OnMouseMove(WindowHandle window, MessageWParam wParam, MessageLParam lParam);
std::intptr_t OnLeftButtonDown(WindowHandle window, MessageWParam wParam, MessageLParam lParam);
std::intptr_t OnLeftButtonUp(WindowHandle window, MessageWParam wParam, MessageLParam lParam);
std::intptr_t OnRightButtonDown(WindowHandle window, MessageWParam wParam, MessageLParam lParam);

// Reshapes selectionRect to the client's proportions at about the same area,
// keeping its top-left corner. Returns false, changing nothing, for a client
// with no width or height.
bool FitSelectionToClient(const Rect& client);
