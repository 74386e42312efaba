#include "shell_sdl/x11_setup.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <cstring>

namespace {

XErrorHandler previousXErrorHandler = nullptr;

// SDL ends its wait for events by sending the window an event over a second
// connection to the X server. One sent as the window is closed can reach the
// server after the window is gone, and the error comes back while SDL stops;
// Xlib's default handler would then end the process with status 1 instead of
// the program's 0. Only that error is harmless; every other goes on as before.
int HandleXError(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow && error->request_code == X_SendEvent) {
        return 0;
    }
    return previousXErrorHandler != nullptr ? previousXErrorHandler(display, error) : 0;
}

}  // namespace

void InstallXErrorHandler() {
    previousXErrorHandler = XSetErrorHandler(HandleXError);
}

void ChooseX11WindowSurface() {
    // SDL's default on X11 draws the surface through OpenGL, whose back buffer
    // keeps its old size after a resize that comes before the first frame: the
    // picture then lands off the visible part and stays lost until some later
    // repaint. Elsewhere (Wayland) that is the only way.
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) {
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
}
