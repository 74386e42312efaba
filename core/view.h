// Which part of the complex plane the window shows, the pixel scales derived
// from it at every paint, and the stack of views that Back returns to.
#pragma once

#include <cstdint>

#include "core/rect.h"

// The view: reLeft is the real part at client column 0; row y shows imaginary
// part y / pixelsPerUnitY - imOffset; reSpan covers the client width plus one.
extern double reLeft;
extern double imOffset;
extern double reSpan;

extern double pixelsPerUnitX;
extern double pixelsPerUnitY;

constexpr std::int32_t kHistoryCapacity = 100;
extern double historyReLeft[kHistoryCapacity];
extern double historyImOffset[kHistoryCapacity];
extern double historyReSpan[kHistoryCapacity];
extern std::int32_t historyCount;

struct PlanePoint {
    double cx;
    double cy;
};

void UpdateScales(std::int32_t clientRight);

// The real part at client column x and the imaginary part at client row y:
// the one mapping from pixels to the plane, for single points and the
// renderer's grids alike.
double ColumnToReal(std::int32_t x);
double RowToImaginary(std::int32_t y);

PlanePoint PixelToPoint(std::int32_t x, std::int32_t y);

// The widest client the zoom guard allows for: a view must stay usable, with
// finite scales, on any client up to this width.
constexpr std::int32_t kMaxClientWidth = 65535;

// Saves the current view (while there is room) and maps the selection, drawn
// at the scales of the latest paint, onto the whole client. A zoom that would
// leave the view unusable (a span that is zero, subnormal or not finite, an
// edge or scale that is not finite) is refused: it returns false and leaves
// the view and the history as they were. Past the precision of doubles the
// picture turns into blocks; that is the honest limit and is allowed.
bool ZoomToSelection(const Rect& selection, std::int32_t clientWidth);

// Restores the most recently saved view; with nothing saved the view stays.
void StepBack();
