#include "shell_sdl/pointer_input.h"

#include <X11/Xlib.h>

#include <cstdint>

#include "interaction/interaction.h"
#include "shell_pixels/mouse_lparam.h"
#include "shell_sdl/cursor.h"
#include "shell_sdl/paint.h"
#include "shell_sdl/window_seam.h"
#include "shell_sdl/x11_setup.h"

// SDL passes a button event on only when it changes SDL's own record of the
// buttons, and on X11 that record goes wrong. A press belongs to the window
// that got it until its release, so when the capture ends during a press
// (Esc or B in a drag) a release outside the window goes elsewhere: SDL keeps
// the button held and then drops the next press in this window as no change.
// A release whose press this window never saw is dropped as well. The X
// server's own events come one for every press and release, as the Windows
// program's messages do, so on X11 they are read instead.

namespace {

// Mouse-button bits of a mouse message's wParam besides kLeftButtonHeld.
constexpr MessageWParam kRightButtonHeld = 0x0002;
constexpr MessageWParam kMiddleButtonHeld = 0x0010;

enum PointerAction {
    kPointerMove,
    kButtonPress,
    kButtonRelease,
};

SDL_Window* inputWindow = nullptr;
// SDL's button events carry no state of the other buttons, so it is kept here.
std::uint32_t heldButtons = 0;

MessageWParam WParamFromButtons(std::uint32_t buttons) {
    MessageWParam wParam = 0;
    if ((buttons & SDL_BUTTON_LMASK) != 0) {
        wParam |= kLeftButtonHeld;
    }
    if ((buttons & SDL_BUTTON_RMASK) != 0) {
        wParam |= kRightButtonHeld;
    }
    if ((buttons & SDL_BUTTON_MMASK) != 0) {
        wParam |= kMiddleButtonHeld;
    }
    return wParam;
}

// A window is told of what the mouse does over its client, and of all of it
// while it holds the capture; buttons are SDL's button masks after the event.
void Deliver(PointerAction action, int button, Point p, std::uint32_t buttons) {
    if (!IsMouseCaptured() && !IsPointInRect(Rect{0, 0, clientWidth, clientHeight}, p)) {
        return;
    }
    const MessageWParam wParam = WParamFromButtons(buttons);
    const MessageLParam lParam = PackMouseLParam(p);
    switch (action) {
        case kPointerMove:
            // The arrow returns on every move; the interaction may replace it.
            RequestCursor(kArrowCursor);
            OnMouseMove(inputWindow, wParam, lParam);
            break;
        case kButtonPress:
            if (button == SDL_BUTTON_LEFT) {
                OnLeftButtonDown(inputWindow, wParam, lParam);
            } else if (button == SDL_BUTTON_RIGHT) {
                OnRightButtonDown(inputWindow, wParam, lParam);
            }
            break;
        case kButtonRelease:
            if (button == SDL_BUTTON_LEFT) {
                OnLeftButtonUp(inputWindow, wParam, lParam);
            }
            break;
    }
}

// Window coordinates to client pixels: the same on X11, scaled where the
// window is measured in points.
std::int32_t ScaleToClient(std::int32_t v, int windowSize, std::int32_t clientSize) {
    if (windowSize <= 0 || windowSize == clientSize) {
        return v;
    }
    const std::int64_t scaled = static_cast<std::int64_t>(v) * clientSize;
    return static_cast<std::int32_t>(scaled >= 0 ? scaled / windowSize
                                                 : -((-scaled + windowSize - 1) / windowSize));
}

Point ClientPoint(std::int32_t x, std::int32_t y) {
    int windowWidth = 0;
    int windowHeight = 0;
    SDL_GetWindowSize(inputWindow, &windowWidth, &windowHeight);
    return Point{ScaleToClient(x, windowWidth, clientWidth),
                 ScaleToClient(y, windowHeight, clientHeight)};
}

void HandleSdlMouseEvent(const SDL_Event& event) {
    if (event.type == SDL_MOUSEMOTION) {
        Deliver(kPointerMove, 0, ClientPoint(event.motion.x, event.motion.y), event.motion.state);
        return;
    }
    const bool pressed = event.type == SDL_MOUSEBUTTONDOWN;
    const std::uint32_t bit = SDL_BUTTON(event.button.button);
    heldButtons = pressed ? (heldButtons | bit) : (heldButtons & ~bit);
    Deliver(pressed ? kButtonPress : kButtonRelease, event.button.button,
            ClientPoint(event.button.x, event.button.y), heldButtons);
}

// X numbers the buttons as SDL does (1 left, 2 middle, 3 right, then the
// wheel) but keeps their state in bits of its own.
std::uint32_t ButtonsFromXState(unsigned int state) {
    std::uint32_t buttons = 0;
    if ((state & Button1Mask) != 0) {
        buttons |= SDL_BUTTON_LMASK;
    }
    if ((state & Button2Mask) != 0) {
        buttons |= SDL_BUTTON_MMASK;
    }
    if ((state & Button3Mask) != 0) {
        buttons |= SDL_BUTTON_RMASK;
    }
    return buttons;
}

// X's pointer events are reported in the window's own pixels, each with the
// buttons held just before it.
void HandleXEvent(const XEvent& event) {
    if (event.type == MotionNotify) {
        Deliver(kPointerMove, 0, Point{event.xmotion.x, event.xmotion.y},
                ButtonsFromXState(event.xmotion.state));
        return;
    }
    if ((event.type != ButtonPress && event.type != ButtonRelease) ||
        event.xbutton.button > Button3) {
        return;
    }
    // The event's state is the one before it; a message's is the one after.
    const bool pressed = event.type == ButtonPress;
    const std::uint32_t bit = SDL_BUTTON(event.xbutton.button);
    const std::uint32_t before = ButtonsFromXState(event.xbutton.state);
    Deliver(pressed ? kButtonPress : kButtonRelease, static_cast<int>(event.xbutton.button),
            Point{event.xbutton.x, event.xbutton.y}, pressed ? (before | bit) : (before & ~bit));
}

}  // namespace

void StartPointerInput(SDL_Window* window) {
    inputWindow = window;
}

bool HandlePointerEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_SYSWMEVENT:
            if (const XEvent* x = X11EventOf(event)) {
                HandleXEvent(*x);
            }
            return true;
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            // Where X's own events are read, these are SDL's copies of them.
            if (!IsReadingX11Events()) {
                HandleSdlMouseEvent(event);
            }
            return true;
        default:
            return false;
    }
}
