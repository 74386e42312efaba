#include "core/escape.h"

namespace {

struct EscapeOutcome {
    std::int32_t passes;
    double magnitudeSquared;  // y2 + x2 as the last test saw it
};

// The test looks at the squares of the iterate before this pass's update.
// A NaN or infinite c fails it in pass 2 like any far-away point.
EscapeOutcome Iterate(double cx, double cy) {
    double zx = 0.0;
    double zy = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    std::int32_t n = 0;
    while (n < kMaxIterations) {
        x2 = zx * zx;
        y2 = zy * zy;
        zy = zy * (zx + zx) + cy;
        zx = (x2 - y2) + cx;
        n = n + 1;
        if (!(y2 + x2 < kEscapeBound)) {
            break;
        }
    }
    return EscapeOutcome{n, y2 + x2};
}

}  // namespace

PaletteIndex InsideIndex(double magnitudeSquared) {
    double scaled = magnitudeSquared * kInsideScale;
    // Reachable values stay below 36 * 33424; the guard only keeps a
    // conversion of anything else (never produced by the iteration) defined.
    if (!(scaled >= 0.0 && scaled < 2147483648.0)) {
        return 0;
    }
    return static_cast<std::int32_t>(scaled) & (kPaletteSize - 1);
}

PaletteIndex EscapeIndex(double cx, double cy) {
    EscapeOutcome outcome = Iterate(cx, cy);
    if (outcome.passes < kMaxIterations) {
        return kBandWidth * outcome.passes;
    }
    return InsideIndex(outcome.magnitudeSquared);
}

std::int32_t EscapePasses(double cx, double cy) {
    return Iterate(cx, cy).passes;
}
