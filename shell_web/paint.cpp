#include "shell_web/paint.h"

#include <emscripten.h>

#include <algorithm>

#include "core/render.h"
#include "core/view.h"
#include "interaction/overlay.h"
#include "interaction/selection_state.h"
#include "shell_pixels/pixel_surface.h"
#include "shell_pixels/placeholder_font.h"
#include "shell_web/cursor.h"
#include "shell_web/page_window.h"

namespace {

Rect dirtyRect = {0, 0, 0, 0};
// What changed since the last present, in a few rectangles: a selection's
// outline is four thin strips, far less to copy than the box around them, and
// a move takes one outline off and draws another.
constexpr std::size_t kMostChangedAreas = 16;
std::vector<Rect> changedAreas;
Rect runningPaint = {0, 0, 0, 0};
bool paintRunning = false;
bool frameRequested = false;

// clang-format off
EM_JS(void, SetCanvasSize, (int width, int height), {
    Module.webCanvas.width = width;
    Module.webCanvas.height = height;
});

EM_JS(void, PutCanvasPixels, (const void* pixels, int stride, int x, int y, int width, int height), {
    const image = Module.webContext.createImageData(width, height);
    const rowBytes = width * 4;
    for (let row = 0; row < height; ++row) {
        const start = pixels + ((y + row) * stride + x) * 4;
        image.data.set(HEAPU8.subarray(start, start + rowBytes), row * rowBytes);
    }
    Module.webContext.putImageData(image, x, y);
});

EM_JS(void, RequestPaintFrame, (), {
    requestAnimationFrame(() => Module._BeginWebPaint());
});

// The frame after the next has been asked for once the browser has shown the
// next one; the render starts after it, from a task of its own.
EM_JS(void, YieldBeforeRender, (), {
    requestAnimationFrame(() => setTimeout(() => Module._FinishWebPaint(), 0));
});
// clang-format on

Rect ClientRect() {
    return Rect{0, 0, clientWidth, clientHeight};
}

// The renderer gives 0xAARRGGBB; the canvas takes red first.
std::uint32_t CanvasPixel(std::uint32_t argb) {
    return (argb & 0xFF00FF00) | ((argb & 0xFF) << 16) | ((argb >> 16) & 0xFF);
}

// Renders area into its place in the client surface; nothing is drawn (and
// false returned) when the pixels cannot be held.
bool PresentRegion(const Rect& area) {
    const std::int32_t width = area.right - area.left;
    PixelBuffer pixels;
    if (!AllocatePixelBuffer(area, &pixels)) {
        return false;
    }
    RenderRegion(area, pixels.data());
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        const std::uint32_t* source = &pixels[static_cast<std::size_t>(y - area.top) * width];
        std::uint32_t* target =
            &clientPixels[static_cast<std::size_t>(y) * clientWidth + area.left];
        std::transform(source, source + width, target, CanvasPixel);
    }
    return true;
}

}  // namespace

std::vector<std::uint32_t> clientPixels;
std::int32_t clientWidth = 0;
std::int32_t clientHeight = 0;

void ResizeClientSurface(std::int32_t width, std::int32_t height) {
    clientWidth = std::max(width, 0);
    clientHeight = std::max(height, 0);
    SetCanvasSize(clientWidth, clientHeight);
    clientPixels.assign(static_cast<std::size_t>(clientWidth) * clientHeight, kSurfaceWhite);
    dirtyRect = Rect{0, 0, 0, 0};
    changedAreas.clear();
    InvalidateArea(nullptr);
}

void InvalidateArea(const Rect* area) {
    Rect visible;
    if (IntersectRects(&visible, area == nullptr ? ClientRect() : *area, ClientRect())) {
        UniteRectInto(&dirtyRect, visible);
    }
}

bool IsPaintRunning() {
    return paintRunning;
}

void SchedulePaint() {
    if (!paintRunning && !frameRequested && !IsRectEmpty(dirtyRect)) {
        frameRequested = true;
        RequestPaintFrame();
    }
}

void BeginPaint() {
    frameRequested = false;
    if (paintRunning || IsRectEmpty(dirtyRect)) {
        return;
    }
    runningPaint = dirtyRect;
    dirtyRect = Rect{0, 0, 0, 0};
    paintRunning = true;
    UpdateScales(clientWidth);

    ShowCursorNow(kWaitCursor);
    PaintPlaceholder(clientPixels.data(), clientWidth, clientHeight, runningPaint);
    MarkChanged(runningPaint);
    PresentChanges();
    YieldBeforeRender();
}

void FinishPaint() {
    if (!paintRunning) {
        return;
    }
    const Rect paint = runningPaint;
    const bool drawn = PresentRegion(paint);
    MarkChanged(paint);
    if (drawn) {
        RefreshOverlayUnderPaint(kPageWindow, paint);
    }
    AbandonSelectionUnderPaint(kPageWindow, paint);
    PresentChanges();
    ShowCursorNow(kArrowCursor);
    paintRunning = false;
}

void MarkChanged(const Rect& area) {
    if (IsRectEmpty(area)) {
        return;
    }
    // Joined to an area it extends without taking in anything unchanged.
    for (Rect& changed : changedAreas) {
        Rect joined = changed;
        UniteRectInto(&joined, area);
        if (PixelCount(joined) <= PixelCount(changed) + PixelCount(area)) {
            changed = joined;
            return;
        }
    }
    if (changedAreas.size() == kMostChangedAreas) {
        for (std::size_t i = 1; i < changedAreas.size(); ++i) {
            UniteRectInto(&changedAreas[0], changedAreas[i]);
        }
        changedAreas.resize(1);
        UniteRectInto(&changedAreas[0], area);
        return;
    }
    changedAreas.push_back(area);
}

void PresentChanges() {
    for (const Rect& changed : changedAreas) {
        Rect copy;
        if (IntersectRects(&copy, changed, ClientRect())) {
            PutCanvasPixels(clientPixels.data(), clientWidth, copy.left, copy.top,
                            copy.right - copy.left, copy.bottom - copy.top);
        }
    }
    changedAreas.clear();
}
