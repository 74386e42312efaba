// What the program changes in SDL's ways on X11.
#pragma once

// Before SDL starts, which keeps this handler as the one to return to when
// it stops: an error SDL itself causes as the window closes is not fatal.
void InstallXErrorHandler();

// Once SDL's video runs, before the first window surface: on X11 the
// surface goes straight to the X server.
void ChooseX11WindowSurface();
