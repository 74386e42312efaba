// The interaction's window operations, on the client surface and SDL.
#include <SDL.h>

#include "interaction/window_seam.h"
#include "shell_pixels/pixel_surface.h"
#include "shell_sdl/cursor.h"
#include "shell_sdl/paint.h"
#include "shell_sdl/window_seam.h"

namespace {

constexpr std::uint32_t kInvalidColour = 0xFFFFFFFF;  // what GetPixel gives off the client
constexpr std::uint32_t kOpaque = 0xFF000000;

bool mouseCaptured = false;

// The surface holds 0xAARRGGBB, the seam speaks 0x00BBGGRR: swap red and blue.
std::uint32_t SwapRedAndBlue(std::uint32_t colour) {
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

bool IsInClient(std::int32_t x, std::int32_t y) {
    return x >= 0 && y >= 0 && x < clientWidth && y < clientHeight;
}

}  // namespace

Rect QueryClientRect(WindowHandle /*window*/) {
    return Rect{0, 0, clientWidth, clientHeight};
}

// There is one surface, so the context carries nothing; every change is
// presented when the event that made it has been handled.
ScreenContext AcquireScreen(WindowHandle window) {
    return window;
}

void ReleaseScreen(WindowHandle /*window*/, ScreenContext /*screen*/) {}

std::uint32_t ReadScreenPixel(ScreenContext /*screen*/, std::int32_t x, std::int32_t y) {
    if (!IsInClient(x, y)) {
        return kInvalidColour;
    }
    return SwapRedAndBlue(clientPixels[static_cast<std::size_t>(y) * clientWidth + x]);
}

void WriteScreenPixel(ScreenContext /*screen*/, std::int32_t x, std::int32_t y,
                      std::uint32_t colour) {
    if (!IsInClient(x, y)) {
        return;
    }
    clientPixels[static_cast<std::size_t>(y) * clientWidth + x] = kOpaque | SwapRedAndBlue(colour);
    MarkChanged(Rect{x, y, x + 1, y + 1});
}

void DrawWhiteOutline(ScreenContext screen, const Rect& r) {
    ForEachOutlinePixel(r, clientWidth, clientHeight, [screen](std::int32_t x, std::int32_t y) {
        WriteScreenPixel(screen, x, y, 0x00FFFFFF);
    });
}

void InvalidateClient(WindowHandle /*window*/, const Rect* area) {
    InvalidateArea(area);
}

bool IsMouseCaptured() {
    return mouseCaptured;
}

void CaptureMouse(WindowHandle /*window*/) {
    mouseCaptured = SDL_CaptureMouse(SDL_TRUE) == 0;
}

void ReleaseMouseCapture() {
    SDL_CaptureMouse(SDL_FALSE);
    mouseCaptured = false;
}

void ShowSelectionCursor() {
    RequestCursor(kUpArrowCursor);
}
