#include "shell_sdl/x11_setup.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/XInput2.h>

#include <cstring>

#include "core/rect.h"
#include "shell_sdl/paint.h"

namespace {

XErrorHandler previousXErrorHandler = nullptr;

// The X window whose own events are read; 0 while there is none.
Window eventWindow = 0;

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

// SDL asks for XInput2 pointer motion on its windows (for touch screens), and
// the X server then sends this client XInput2 motion instead of the core
// MotionNotify: those events never reach the program as X events, and moves
// with no button held went unseen. Taking XInput2 motion off again brings
// back the core events, which carry the held buttons in each event. The rest
// of SDL's XInput2 choice (touches) stays.
void TakeBackCoreMotion(Display* display, Window window) {
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError)) {
        return;
    }
    int count = 0;
    XIEventMask* masks = XIGetSelectedEvents(display, window, &count);
    if (masks == nullptr) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (masks[i].mask_len > XI_Motion / 8) {
            XIClearMask(masks[i].mask, XI_Motion);
        }
    }
    XISelectEvents(display, window, masks, count);
    XFree(masks);
    XFlush(display);
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

void StartX11Events(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    eventWindow = info.info.x11.window;
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    TakeBackCoreMotion(info.info.x11.display, eventWindow);
}

bool IsReadingX11Events() {
    return eventWindow != 0;
}

const XEvent* X11EventOf(const SDL_Event& event) {
    if (event.type != SDL_SYSWMEVENT || !IsReadingX11Events() ||
        event.syswm.msg->subsystem != SDL_SYSWM_X11) {
        return nullptr;
    }
    const XEvent* x = &event.syswm.msg->msg.x11.event;
    return x->xany.window == eventWindow ? x : nullptr;
}

bool HandleX11Exposure(const SDL_Event& event) {
    const XEvent* x = X11EventOf(event);
    if (x == nullptr || x->type != Expose) {
        return false;
    }
    const Rect area = {x->xexpose.x, x->xexpose.y, x->xexpose.x + x->xexpose.width,
                       x->xexpose.y + x->xexpose.height};
    InvalidateArea(&area);
    return true;
}
