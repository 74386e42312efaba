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

PlanePoint PixelToPoint(std::int32_t x, std::int32_t y);

// Saves the current view (while there is room) and maps the selection, drawn
// at the scales of the latest paint, onto the whole client.
void ZoomToSelection(const Rect& selection, std::int32_t clientWidth);

// Restores the most recently saved view; with nothing saved the view stays.
void StepBack();
