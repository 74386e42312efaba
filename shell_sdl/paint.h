// The client surface and its painting: every client pixel lives in one
// 32-bit buffer that the paint renders into in place and the overlay reads and
// writes, and each change is copied unscaled to the window.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "core/rect.h"

// Opaque 0xAARRGGBB pixels of the whole client, rows packed, top row first.
extern std::vector<std::uint32_t> clientPixels;
extern std::int32_t clientWidth;
extern std::int32_t clientHeight;

// Follows the window's drawable size; the whole new client needs painting.
// Where the surface or its pixels cannot be had, says so on stderr and leaves
// an empty client (nothing drawn, the window still usable) until the next
// size, and returns false.
bool ResizeClientSurface(SDL_Window* window);

// Adds area (the whole client when null) to what the next paint erases and renders.
void InvalidateArea(const Rect* area);
bool IsPaintPending();

// Erases, renders and presents what was invalidated, then runs the selection check.
void OnPaint(SDL_Window* window);

// Records pixels changed outside a paint, and copies every recorded change to
// the window.
void MarkChanged(const Rect& area);
void PresentChanges(SDL_Window* window);
