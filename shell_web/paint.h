// The client surface and its painting: every canvas pixel lives in one 32-bit
// buffer, in the canvas's own byte order, that the paint renders into and the
// overlay reads and writes; each change is copied unscaled to the canvas.
#pragma once

#include <cstdint>
#include <vector>

#include "core/rect.h"

// Opaque pixels of the whole client, rows packed, top row first, bytes red,
// green, blue, alpha (0xAABBGGRR read as a number).
extern std::vector<std::uint32_t> clientPixels;
extern std::int32_t clientWidth;
extern std::int32_t clientHeight;

// Gives the canvas this size in device pixels; the whole new client needs painting.
void ResizeClientSurface(std::int32_t width, std::int32_t height);

// Adds area (the whole client when null) to what the next paint erases and renders.
void InvalidateArea(const Rect* area);

// A paint runs in two steps, so that the browser shows the erased area and the
// placeholder before the render holds the page: BeginPaint erases and draws
// them and lets the browser paint a frame; FinishPaint then renders, presents
// and runs the selection check. No input is handled in between.
bool IsPaintRunning();
// Asks the browser for a frame to begin a paint in, if anything waits for one.
void SchedulePaint();
void BeginPaint();
void FinishPaint();

// Records pixels changed outside a paint, and copies every recorded change to
// the canvas.
void MarkChanged(const Rect& area);
void PresentChanges();
