// The Linux program's entry, its window and event loop, and the dispatch of
// each event to its handler.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/palette.h"
#include "interaction/interaction.h"
#include "shell_sdl/cursor.h"
#include "shell_sdl/paint.h"
#include "shell_sdl/pointer_input.h"
#include "shell_sdl/x11_setup.h"

namespace {

const char kWindowTitle[] = "Mandelbrot set";

// Start-up failures end the process with a message instead of running without
// a window; each has its own code for diagnosis. No display is the common one.
constexpr int kExitNoDisplay = 1;
constexpr int kExitWindowCreationFailed = 4;
constexpr int kExitEventLoopFailed = 5;
constexpr int kExitSurfaceCreationFailed = 6;

// Without a display to measure, a window of a common size.
constexpr int kFallbackWidth = 800;
constexpr int kFallbackHeight = 600;

SDL_Window* mainWindow = nullptr;

// Drivers that show nothing on any screen. SDL falls back to them when no
// window system answers, and the program would run on, invisible.
bool IsInvisibleVideoDriver(const char* driver) {
    return driver != nullptr &&
           (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool IsSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// Why no window can be shown, in one line: which display is missing.
void ReportNoDisplay(const char* detail) {
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) {
        std::fprintf(stderr,
                     "mandelbrot: no display to show the window on (neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set)\n");
        return;
    }
    const bool x = IsSet("DISPLAY");
    std::fprintf(stderr, "mandelbrot: cannot open the %sdisplay \"%s\"%s%s\n", x ? "" : "Wayland ",
                 std::getenv(x ? "DISPLAY" : "WAYLAND_DISPLAY"), *detail != '\0' ? ": " : "",
                 detail);
}

// Starts SDL's video on a real display; false, having said why, where there is none.
bool StartVideo() {
    const bool requested = IsSet("SDL_VIDEODRIVER");
    if (!requested) {
        if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) {
            ReportNoDisplay("");
            return false;
        }
        // Only the window system that was named: a failed try at the other
        // one writes errors of its own to stderr.
        if (!IsSet("WAYLAND_DISPLAY")) {
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        } else if (!IsSet("DISPLAY")) {
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
        }
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        ReportNoDisplay(SDL_GetError());
        return false;
    }
    // Asked for by name, an invisible driver is the user's choice.
    if (IsInvisibleVideoDriver(SDL_GetCurrentVideoDriver()) &&
        !(requested && IsInvisibleVideoDriver(std::getenv("SDL_VIDEODRIVER")))) {
        ReportNoDisplay("");
        SDL_Quit();
        return false;
    }
    return true;
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

void HandleWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            // Any change of width or height repaints everything: the scales
            // follow the width.
            ResizeClientSurface(mainWindow);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            // Uncovered: where the window system does not say which part, all of it.
            if (!IsReadingX11Events()) {
                InvalidateArea(nullptr);
            }
            break;
        default:
            break;
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
    if (HandleX11Exposure(event) || HandlePointerEvent(event)) {
        return;
    }
    switch (event.type) {
        case SDL_WINDOWEVENT:
            HandleWindowEvent(event.window);
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

// Handles one event and shows the cursor it asked for; false once the
// window has been closed.
bool HandleEvent(const SDL_Event& event) {
    if (event.type == SDL_QUIT) {
        return false;
    }
    DispatchEvent(event);
    ApplyRequestedCursor();
    return true;
}

// Handles events until the window is closed; input always goes before a
// paint, as a waiting paint is done only once the queue is empty.
int RunEventLoop() {
    SDL_Event event;
    for (;;) {
        while (SDL_PollEvent(&event)) {
            if (!HandleEvent(event)) {
                return 0;
            }
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
        if (!HandleEvent(event)) {
            return 0;
        }
    }
}

}  // namespace

int main(int /*argc*/, char* /*argv*/[]) {
    // Capture exactly while the interaction asks for it, as on Windows.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // An ordinary desktop window: the screen saver and the compositor stay on.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");

    InstallXErrorHandler();
    if (!StartVideo()) {
        return kExitNoDisplay;
    }
    ChooseX11WindowSurface();
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
    // Without a surface at the window's first size nothing will ever show
    // (that has been said on stderr); short of memory, a smaller size may do.
    if (ResizeClientSurface(mainWindow) || SDL_GetWindowSurface(mainWindow) != nullptr) {
        StartX11Events(mainWindow);
        StartPointerInput(mainWindow);
        // The first paint is the loop's first step, once the window's own
        // first events (its mapping and exposure) have joined this invalidation.
        exitCode = RunEventLoop();
    }

    SDL_DestroyWindow(mainWindow);
    FreeCursors();
    SDL_Quit();
    return exitCode;
}
