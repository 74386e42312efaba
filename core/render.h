// Renders a rectangle of the client area for the current view into a packed
// buffer of opaque 0xAARRGGBB pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "core/rect.h"

// width x height pixels of the rendered rectangle, row-major, top row first,
// rows packed; the pixel for client point (x, y) is at row y - top, column x - left.
using PixelBuffer = std::vector<std::uint32_t>;

// The number of pixels in a rectangle, 0 when it is empty; 64-bit so no
// rectangle with 32-bit edges can overflow it.
std::uint64_t PixelCount(const Rect& region);

// Sizes *pixels for region; false, leaving it empty, when memory runs out.
bool AllocatePixelBuffer(const Rect& region, PixelBuffer* pixels);

// Fills pixels (PixelCount(region) of them) using absolute client coordinates,
// so any tiling of the client gives the same picture. UpdateScales must have
// run for the current client size.
void RenderRegion(const Rect& region, std::uint32_t* pixels);
