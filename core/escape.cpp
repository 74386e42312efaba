#include "core/escape.h"

constexpr double kEscapeBound = 4.0;
constexpr std::int32_t kBandWidth = 128;
constexpr double kInsideScale = 33424.0;

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
    double zx = 0.0;
    double zy = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    std::int32_t n = 0;
    // The test looks at the squares of the iterate before this pass's update.
    // A NaN or infinite c fails it in pass 2 like any far-away point.
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
    if (n < kMaxIterations) {
        return kBandWidth * n;
    }
    return InsideIndex(y2 + x2);
}
