// What the program changes in SDL's ways on X11, and the X server's own
// events for its window, which it reads where SDL's copies fall short.
#pragma once

#include <SDL.h>

union _XEvent;

// Before SDL starts, which keeps this handler as the one to return to when
// it stops: an error SDL itself causes as the window closes is not fatal.
void InstallXErrorHandler();

// Once SDL's video runs, before the first window surface: on X11 the
// surface goes straight to the X server.
void ChooseX11WindowSurface();

// Where the window is an X11 one, from now on hands its X events to the
// program (X11EventOf), with every pointer move among them.
void StartX11Events(SDL_Window* window);

// Whether the window's own X events are read: then they, not SDL's copies,
// carry the pointer and the exposed rectangles.
bool IsReadingX11Events();

// The X event of the window that event carries, or null.
const union _XEvent* X11EventOf(const SDL_Event& event);

// Marks for painting exactly the area an X exposure reports; false for any
// other event.
bool HandleX11Exposure(const SDL_Event& event);
