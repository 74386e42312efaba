// The mouse for the interaction: each press, release and move that the
// Windows program would be told of becomes its mouse message, with the
// message's wParam and lParam.
#pragma once

#include <SDL.h>

// Reads the pointer from the X server's own events where they are read (see
// StartX11Events), else from SDL's mouse events. Called once the window has
// its surface.
void StartPointerInput(SDL_Window* window);

// Hands a pointer event to the interaction; false for any other event.
bool HandlePointerEvent(const SDL_Event& event);
