#include "shell_sdl/app.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/palette.h"
#include "interaction/interaction.h"
#include "shell_sdl/paint.h"

namespace {

const char kWindowTitle[] = "Mandelbrot set";

// Start-up failures end the process with a message instead of running without
// a window; each has its own code for diagnosis.
constexpr int kExitVideoStartupFailed = 3;
constexpr int kExitWindowCreationFailed = 4;
constexpr int kExitEventLoopFailed = 5;
constexpr int kExitSurfaceCreationFailed = 6;

// Without a display to measure, a window of a common size.
constexpr int kFallbackWidth = 800;
constexpr int kFallbackHeight = 600;

// Mouse-button bits of a mouse message's wParam.
constexpr MessageWParam kRightButtonHeld = 0x0002;
constexpr MessageWParam kMiddleButtonHeld = 0x0010;

// The up-arrow: a black arrow with a white rim, its tip at the hotspot.
constexpr int kCursorSize = 32;
constexpr int kArrowTipX = 15;
constexpr int kArrowTipY = 1;
constexpr int kArrowHeadRows = 11;
constexpr int kArrowShaftRows = 16;
constexpr int kArrowShaftHalfWidth = 2;

SDL_Window* mainWindow = nullptr;
SDL_Cursor* cursors[3] = {};
CursorShape shownCursor = kArrowCursor;
CursorShape requestedCursor = kArrowCursor;
std::uint32_t heldButtons = 0;
bool pointerInClient = false;

bool IsInsideUpArrow(int x, int y) {
    const int row = y - kArrowTipY;
    const int offset = x > kArrowTipX ? x - kArrowTipX : kArrowTipX - x;
    if (row < 0) {
        return false;
    }
    if (row < kArrowHeadRows) {
        return offset <= row;
    }
    return row < kArrowHeadRows + kArrowShaftRows && offset <= kArrowShaftHalfWidth;
}

bool TouchesUpArrow(int x, int y) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (IsInsideUpArrow(x + dx, y + dy)) {
                return true;
            }
        }
    }
    return false;
}

SDL_Cursor* CreateUpArrowCursor() {
    // One bit a pixel, most significant first: data 1 and mask 1 is black,
    // data 0 and mask 1 white, mask 0 transparent.
    Uint8 data[kCursorSize * kCursorSize / 8] = {};
    Uint8 mask[kCursorSize * kCursorSize / 8] = {};
    for (int y = 0; y < kCursorSize; ++y) {
        for (int x = 0; x < kCursorSize; ++x) {
            const int byte = (y * kCursorSize + x) / 8;
            const auto bit = static_cast<Uint8>(0x80 >> (x % 8));
            if (IsInsideUpArrow(x, y)) {
                data[byte] |= bit;
            }
            if (TouchesUpArrow(x, y)) {
                mask[byte] |= bit;
            }
        }
    }
    return SDL_CreateCursor(data, mask, kCursorSize, kCursorSize, kArrowTipX, kArrowTipY);
}

void CreateCursors() {
    cursors[kArrowCursor] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    cursors[kWaitCursor] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    cursors[kUpArrowCursor] = CreateUpArrowCursor();
}

void FreeCursors() {
    for (SDL_Cursor* cursor : cursors) {
        if (cursor != nullptr) {
            SDL_FreeCursor(cursor);
        }
    }
}

void ApplyRequestedCursor() {
    if (requestedCursor != shownCursor) {
        ShowCursorNow(requestedCursor);
    }
}

void ChooseWindowSize(int* width, int* height) {
    // Three quarters of the usable screen, like a Windows default-sized window.
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) {
        *width = usable.w * 3 / 4;
        *height = usable.h * 3 / 4;
    } else {
        *width = kFallbackWidth;
        *height = kFallbackHeight;
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

// Each half is a signed 16-bit value, as in a mouse message: positions left of
// or above the client arrive while the mouse is captured.
MessageLParam PackPoint(std::int32_t x, std::int32_t y) {
    int windowWidth = 0;
    int windowHeight = 0;
    SDL_GetWindowSize(mainWindow, &windowWidth, &windowHeight);
    const auto low = static_cast<std::uint16_t>(ScaleToClient(x, windowWidth, clientWidth));
    const auto high = static_cast<std::uint16_t>(ScaleToClient(y, windowHeight, clientHeight));
    return static_cast<MessageLParam>(static_cast<std::uint32_t>(low) |
                                      (static_cast<std::uint32_t>(high) << 16));
}

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

void HandleWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            // Any change of width or height repaints everything: the scales
            // follow the width.
            ResizeClientSurface(mainWindow);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            // Uncovered: the window system does not say which part, so all of it.
            InvalidateArea(nullptr);
            break;
        case SDL_WINDOWEVENT_ENTER:
            pointerInClient = true;
            break;
        case SDL_WINDOWEVENT_LEAVE:
            pointerInClient = false;
            break;
        default:
            break;
    }
}

void HandleMouseButton(const SDL_MouseButtonEvent& event) {
    const bool pressed = event.state == SDL_PRESSED;
    const std::uint32_t bit = SDL_BUTTON(event.button);
    heldButtons = pressed ? (heldButtons | bit) : (heldButtons & ~bit);
    // Uncaptured, a press or release away from the client belongs to
    // whatever lies under the pointer, not to this window.
    if (!mouseCaptured && !pointerInClient) {
        return;
    }
    const MessageWParam wParam = WParamFromButtons(heldButtons);
    const MessageLParam lParam = PackPoint(event.x, event.y);
    if (event.button == SDL_BUTTON_LEFT) {
        if (pressed) {
            OnLeftButtonDown(mainWindow, wParam, lParam);
        } else {
            OnLeftButtonUp(mainWindow, wParam, lParam);
        }
    } else if (event.button == SDL_BUTTON_RIGHT && pressed) {
        OnRightButtonDown(mainWindow, wParam, lParam);
    }
}

// Hands each character of UTF-8 text to the interaction, one code point at a time.
void HandleText(const char* text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    while (*s != 0) {
        std::uint32_t codePoint = *s;
        int followers = 0;
        if (codePoint >= 0xF0) {
            codePoint &= 0x07;
            followers = 3;
        } else if (codePoint >= 0xE0) {
            codePoint &= 0x0F;
            followers = 2;
        } else if (codePoint >= 0xC0) {
            codePoint &= 0x1F;
            followers = 1;
        }
        ++s;
        for (; followers > 0 && (*s & 0xC0) == 0x80; --followers, ++s) {
            codePoint = (codePoint << 6) | (*s & 0x3F);
        }
        OnChar(mainWindow, codePoint, 0);
    }
}

void DispatchEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_WINDOWEVENT:
            HandleWindowEvent(event.window);
            break;
        case SDL_MOUSEMOTION:
            // The arrow returns on every move; the interaction may replace it.
            RequestCursor(kArrowCursor);
            OnMouseMove(mainWindow, WParamFromButtons(event.motion.state),
                        PackPoint(event.motion.x, event.motion.y));
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            HandleMouseButton(event.button);
            break;
        case SDL_KEYDOWN:
            // Esc makes no text event, but it is a character all the same.
            if (event.key.keysym.sym == SDLK_ESCAPE) {
                OnChar(mainWindow, kEscapeChar, 0);
            }
            break;
        case SDL_TEXTINPUT:
            HandleText(event.text.text);
            break;
        default:
            break;
    }
}

// Handles events until the window is closed; input always goes before a
// paint, as a waiting paint is done only once the queue is empty.
int RunEventLoop() {
    SDL_Event event;
    for (;;) {
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) {
                return 0;
            }
            DispatchEvent(event);
            ApplyRequestedCursor();
        }
        if (IsPaintPending()) {
            OnPaint(mainWindow);
            continue;
        }
        PresentChanges(mainWindow);
        if (!SDL_WaitEvent(&event)) {
            std::fprintf(stderr, "mandelbrot: waiting for events failed: %s\n", SDL_GetError());
            return kExitEventLoopFailed;
        }
        if (event.type == SDL_QUIT) {
            return 0;
        }
        DispatchEvent(event);
        ApplyRequestedCursor();
    }
}

}  // namespace

bool mouseCaptured = false;

void RequestCursor(CursorShape shape) {
    requestedCursor = shape;
}

void ShowCursorNow(CursorShape shape) {
    SDL_Cursor* cursor = cursors[shape] != nullptr ? cursors[shape] : SDL_GetDefaultCursor();
    SDL_SetCursor(cursor);
    shownCursor = shape;
    requestedCursor = shape;
}

int main(int /*argc*/, char* /*argv*/[]) {
    // Capture exactly while the interaction asks for it, and clicks that
    // focus the window still count, as on Windows.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // An ordinary desktop window: the screen saver and the compositor stay on.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");

    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "mandelbrot: cannot start SDL video: %s\n", SDL_GetError());
        return kExitVideoStartupFailed;
    }
    // On X11 the window surface goes straight to the X server. SDL's default
    // there draws it through OpenGL, whose back buffer keeps its old size
    // after a resize that comes before the first frame: the picture then lands
    // off the visible part and stays lost until some later repaint. Wayland
    // has only that way.
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) {
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    CreateCursors();
    BuildPalette();

    int width = 0;
    int height = 0;
    ChooseWindowSize(&width, &height);
    mainWindow = SDL_CreateWindow(kWindowTitle, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                  width, height, SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (mainWindow == nullptr) {
        std::fprintf(stderr, "mandelbrot: cannot create the window: %s\n", SDL_GetError());
        FreeCursors();
        SDL_Quit();
        return kExitWindowCreationFailed;
    }
    ShowCursorNow(kArrowCursor);
    SDL_StartTextInput();

    int exitCode = kExitSurfaceCreationFailed;
    ResizeClientSurface(mainWindow);
    if (SDL_GetWindowSurface(mainWindow) == nullptr) {
        std::fprintf(stderr, "mandelbrot: cannot draw on the window: %s\n", SDL_GetError());
    } else {
        // The first paint is the loop's first step, once the window's own
        // first events (its mapping and exposure) have joined this invalidation.
        exitCode = RunEventLoop();
    }

    SDL_DestroyWindow(mainWindow);
    FreeCursors();
    SDL_Quit();
    return exitCode;
}
