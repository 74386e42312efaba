#include "core/view.h"

namespace {

constexpr double kStartReLeft = -2.0;
constexpr double kStartImOffset = 1.3;
constexpr double kStartReSpan = 3.0;
constexpr double kVerticalFactor = 0.82;

}  // namespace

double reLeft = kStartReLeft;
double imOffset = kStartImOffset;
double reSpan = kStartReSpan;

double pixelsPerUnitX = 0.0;
double pixelsPerUnitY = 0.0;

double historyReLeft[kHistoryCapacity];
double historyImOffset[kHistoryCapacity];
double historyReSpan[kHistoryCapacity];
std::int32_t historyCount = 0;

void UpdateScales(std::int32_t clientRight) {
    // The extra pixel is deliberate: the span covers the width plus one.
    pixelsPerUnitX = (static_cast<double>(clientRight) + 1.0) / reSpan;
    pixelsPerUnitY = pixelsPerUnitX * kVerticalFactor;
}

PlanePoint PixelToPoint(std::int32_t x, std::int32_t y) {
    return PlanePoint{static_cast<double>(x) / pixelsPerUnitX + reLeft,
                      static_cast<double>(y) / pixelsPerUnitY - imOffset};
}

void ZoomToSelection(const Rect& selection, std::int32_t clientWidth) {
    if (historyCount < kHistoryCapacity) {
        historyReLeft[historyCount] = reLeft;
        historyImOffset[historyCount] = imOffset;
        historyReSpan[historyCount] = reSpan;
        historyCount = historyCount + 1;
    }
    double selectionWidth =
        static_cast<double>(static_cast<std::int64_t>(selection.right) - selection.left);
    reLeft = reLeft + static_cast<double>(selection.left) / pixelsPerUnitX;
    imOffset = imOffset - static_cast<double>(selection.top) / pixelsPerUnitY;
    reSpan = selectionWidth * reSpan / static_cast<double>(clientWidth);
}

void StepBack() {
    if (historyCount > 0) {
        historyCount = historyCount - 1;
        reLeft = historyReLeft[historyCount];
        imOffset = historyImOffset[historyCount];
        reSpan = historyReSpan[historyCount];
    }
}
