#include "shell_sdl/paint.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "core/render.h"
#include "core/view.h"
#include "interaction/overlay.h"
#include "interaction/selection_state.h"
#include "shell_pixels/pixel_surface.h"
#include "shell_pixels/placeholder_font.h"
#include "shell_sdl/cursor.h"

namespace {

// What the next paint erases and renders: the exact areas the window system
// and the program invalidated, overlapping ones united. Past this many the
// rest joins the last one, so the list stays short.
constexpr std::size_t kMaxDirtyAreas = 16;
std::vector<Rect> dirtyAreas;
Rect changedRect = {0, 0, 0, 0};

Rect ClientRect() {
    return Rect{0, 0, clientWidth, clientHeight};
}

// Adds area to the dirty list: an area that meets one already there is
// united with it (and the result may meet others in turn).
void AddDirtyArea(Rect area) {
    for (std::size_t i = 0; i < dirtyAreas.size();) {
        Rect common;
        if (IntersectRects(&common, area, dirtyAreas[i])) {
            UniteRectInto(&area, dirtyAreas[i]);
            dirtyAreas.erase(dirtyAreas.begin() + static_cast<std::ptrdiff_t>(i));
            i = 0;
        } else {
            ++i;
        }
    }
    if (dirtyAreas.size() == kMaxDirtyAreas) {
        UniteRectInto(&dirtyAreas.back(), area);
    } else {
        dirtyAreas.push_back(area);
    }
}

// The renderer's own few rows and columns of coordinates can fail to be had
// too, when memory is that short; the paint then draws nothing.
bool RenderWithinMemory(const Rect& area, std::uint32_t* pixels) {
    try {
        RenderRegion(area, pixels);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Renders area into its place in the client surface; nothing is drawn (and
// false returned) when the pixels cannot be held.
bool PresentRegion(const Rect& area) {
    const std::int32_t width = area.right - area.left;
    if (area.left == 0 && width == clientWidth) {
        // Whole rows are packed in the surface already: render in place,
        // without a second picture's worth of memory.
        return RenderWithinMemory(area,
                                  &clientPixels[static_cast<std::size_t>(area.top) * clientWidth]);
    }
    PixelBuffer pixels;
    if (!AllocatePixelBuffer(area, &pixels) || !RenderWithinMemory(area, pixels.data())) {
        return false;
    }
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        std::memcpy(&clientPixels[static_cast<std::size_t>(y) * clientWidth + area.left],
                    &pixels[static_cast<std::size_t>(y - area.top) * width],
                    static_cast<std::size_t>(width) * sizeof(pixels[0]));
    }
    return true;
}

}  // namespace

std::vector<std::uint32_t> clientPixels;
std::int32_t clientWidth = 0;
std::int32_t clientHeight = 0;

bool ResizeClientSurface(SDL_Window* window) {
    dirtyAreas.clear();
    changedRect = Rect{0, 0, 0, 0};
    clientWidth = 0;
    clientHeight = 0;
    // The window surface has the drawable's real pixels, which is what the
    // client is made of (no stretching on high-density screens). Without it
    // nothing could be shown, so nothing is rendered either.
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) {
        int width = 0;
        int height = 0;
        SDL_GetWindowSizeInPixels(window, &width, &height);
        std::fprintf(stderr, "mandelbrot: cannot draw on a window of %dx%d pixels: %s\n", width,
                     height, SDL_GetError());
        clientPixels = std::vector<std::uint32_t>();
        return false;
    }
    // The old picture goes first, so that it and the new one never need
    // memory at the same time.
    clientPixels = std::vector<std::uint32_t>();
    try {
        clientPixels.assign(static_cast<std::size_t>(surface->w) * surface->h, kSurfaceWhite);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "mandelbrot: not enough memory for a picture of %dx%d pixels\n",
                     surface->w, surface->h);
        return false;
    }
    clientWidth = surface->w;
    clientHeight = surface->h;
    InvalidateArea(nullptr);
    return true;
}

void InvalidateArea(const Rect* area) {
    Rect visible;
    if (IntersectRects(&visible, area == nullptr ? ClientRect() : *area, ClientRect())) {
        AddDirtyArea(visible);
    }
}

bool IsPaintPending() {
    return !dirtyAreas.empty();
}

void OnPaint(SDL_Window* window) {
    if (dirtyAreas.empty()) {
        return;
    }
    const std::vector<Rect> paints = std::move(dirtyAreas);
    dirtyAreas.clear();
    UpdateScales(clientWidth);

    ShowCursorNow(kWaitCursor);
    for (const Rect& paint : paints) {
        PaintPlaceholder(clientPixels.data(), clientWidth, clientHeight, paint);
        // The erased area and the placeholder stay in view while the picture renders.
        MarkChanged(paint);
    }
    PresentChanges(window);

    for (const Rect& paint : paints) {
        const bool drawn = PresentRegion(paint);
        MarkChanged(paint);
        if (drawn) {
            RefreshOverlayUnderPaint(window, paint);
        }
        AbandonSelectionUnderPaint(window, paint);
    }

    ShowCursorNow(kArrowCursor);
}

void MarkChanged(const Rect& area) {
    UniteRectInto(&changedRect, area);
}

void PresentChanges(SDL_Window* window) {
    const Rect area = changedRect;
    changedRect = Rect{0, 0, 0, 0};
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) {
        return;
    }
    // A resize not yet handled may have changed the surface: copy only what both hold.
    Rect copy;
    if (!IntersectRects(
            &copy, area,
            Rect{0, 0, std::min(clientWidth, surface->w), std::min(clientHeight, surface->h)})) {
        return;
    }
    const int width = copy.right - copy.left;
    const int height = copy.bottom - copy.top;
    const std::uint32_t* source =
        &clientPixels[static_cast<std::size_t>(copy.top) * clientWidth + copy.left];
    auto* target = static_cast<std::uint8_t*>(surface->pixels) +
                   static_cast<std::size_t>(copy.top) * surface->pitch +
                   static_cast<std::size_t>(copy.left) * surface->format->BytesPerPixel;
    // Usually XRGB8888 on X11, a straight copy; any other format is converted.
    SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_ARGB8888, source,
                      clientWidth * static_cast<int>(sizeof(std::uint32_t)),
                      surface->format->format, target, surface->pitch);
    SDL_Rect updated = {copy.left, copy.top, width, height};
    SDL_UpdateWindowSurfaceRects(window, &updated, 1);
}
