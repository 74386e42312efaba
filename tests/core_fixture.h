// Puts the process-wide view and palette into their start-up state, so each
// test starts like a fresh process.
#pragma once

#include "core/palette.h"
#include "core/view.h"

// The starting view, an empty history and no scales yet.
inline void ResetViewState() {
    reLeft = -2.0;
    imOffset = 1.3;
    reSpan = 3.0;
    historyCount = 0;
    pixelsPerUnitX = 0.0;
    pixelsPerUnitY = 0.0;
}

inline void ResetCoreState() {
    BuildPalette();
    ResetViewState();
}
