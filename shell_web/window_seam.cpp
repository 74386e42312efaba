// The interaction's window operations, on the client surface and the canvas.
#include <emscripten.h>

#include "interaction/window_seam.h"
#include "shell_pixels/pixel_surface.h"
#include "shell_web/cursor.h"
#include "shell_web/page_window.h"
#include "shell_web/paint.h"

namespace {

constexpr std::uint32_t kInvalidColour = 0xFFFFFFFF;  // what GetPixel gives off the client
constexpr std::uint32_t kOpaque = 0xFF000000;

bool mouseCaptured = false;

// clang-format off
// The pointer of the event being handled; a pointer already gone cannot be captured.
EM_JS(int, CapturePagePointer, (), {
    try {
        Module.webCanvas.setPointerCapture(Module.webPointerId);
        return 1;
    } catch (error) {
        return 0;
    }
});

EM_JS(void, ReleasePagePointer, (), {
    if (Module.webCanvas.hasPointerCapture(Module.webPointerId)) {
        Module.webCanvas.releasePointerCapture(Module.webPointerId);
    }
});
// clang-format on

bool IsInClient(std::int32_t x, std::int32_t y) {
    return x >= 0 && y >= 0 && x < clientWidth && y < clientHeight;
}

char pageWindow = 0;

}  // namespace

const WindowHandle kPageWindow = &pageWindow;

Rect QueryClientRect(WindowHandle /*window*/) {
    return Rect{0, 0, clientWidth, clientHeight};
}

// There is one surface, so the context carries nothing; every change is
// presented when the event that made it has been handled.
ScreenContext AcquireScreen(WindowHandle window) {
    return window;
}

void ReleaseScreen(WindowHandle /*window*/, ScreenContext /*screen*/) {}

// The surface holds red in the low byte, as the seam's 0x00BBGGRR does.
std::uint32_t ReadScreenPixel(ScreenContext /*screen*/, std::int32_t x, std::int32_t y) {
    if (!IsInClient(x, y)) {
        return kInvalidColour;
    }
    return clientPixels[static_cast<std::size_t>(y) * clientWidth + x] & ~kOpaque;
}

void WriteScreenPixel(ScreenContext /*screen*/, std::int32_t x, std::int32_t y,
                      std::uint32_t colour) {
    if (!IsInClient(x, y)) {
        return;
    }
    clientPixels[static_cast<std::size_t>(y) * clientWidth + x] = kOpaque | colour;
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
    mouseCaptured = CapturePagePointer() != 0;
}

void ReleaseMouseCapture() {
    ReleasePagePointer();
    mouseCaptured = false;
}

void ShowSelectionCursor() {
    RequestCursor(kUpArrowCursor);
}
