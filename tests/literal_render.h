// The renderer's pixel formula written out: one EscapeIndex per pixel, no
// grid, no vectors. The reference the renderer is checked and timed against.
#pragma once

#include <cstdint>

#include "core/rect.h"

// Fills pixels (width x height of region, rows packed) for the current view
// and scales, as RenderRegion must.
void RenderLiterally(const Rect& region, std::uint32_t* pixels);
