#include "core/view.h"

#include <cmath>

namespace {

constexpr double kStartReLeft = -2.0;
constexpr double kStartImOffset = 1.3;
constexpr double kStartReSpan = 3.0;
constexpr double kVerticalFactor = 0.82;

// The extra pixel is deliberate: the span covers the width plus one.
double HorizontalScale(std::int32_t clientRight, double span) {
    return (static_cast<double>(clientRight) + 1.0) / span;
}

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
    pixelsPerUnitX = HorizontalScale(clientRight, reSpan);
    pixelsPerUnitY = pixelsPerUnitX * kVerticalFactor;
}

double ColumnToReal(std::int32_t x) {
    return static_cast<double>(x) / pixelsPerUnitX + reLeft;
}

double RowToImaginary(std::int32_t y) {
    return static_cast<double>(y) / pixelsPerUnitY - imOffset;
}

PlanePoint PixelToPoint(std::int32_t x, std::int32_t y) {
    return PlanePoint{ColumnToReal(x), RowToImaginary(y)};
}

namespace {

// Whether a view can be painted and zoomed out of on any client width: its
// span positive and normal, its edges finite, and the scales of the widest
// client finite and non-zero.
bool IsUsableView(double left, double offset, double span) {
    if (!(std::isnormal(span) && span > 0.0 && std::isfinite(left) && std::isfinite(offset))) {
        return false;
    }
    return std::isfinite(HorizontalScale(kMaxClientWidth, span) * kVerticalFactor);
}

}  // namespace

bool ZoomToSelection(const Rect& selection, std::int32_t clientWidth) {
    double selectionWidth =
        static_cast<double>(static_cast<std::int64_t>(selection.right) - selection.left);
    double newReLeft = reLeft + static_cast<double>(selection.left) / pixelsPerUnitX;
    double newImOffset = imOffset - static_cast<double>(selection.top) / pixelsPerUnitY;
    double newReSpan = selectionWidth * reSpan / static_cast<double>(clientWidth);
    if (clientWidth <= 0 || !IsUsableView(newReLeft, newImOffset, newReSpan)) {
        return false;
    }
    if (historyCount < kHistoryCapacity) {
        historyReLeft[historyCount] = reLeft;
        historyImOffset[historyCount] = imOffset;
        historyReSpan[historyCount] = reSpan;
        historyCount = historyCount + 1;
    }
    reLeft = newReLeft;
    imOffset = newImOffset;
    reSpan = newReSpan;
    return true;
}

void StepBack() {
    if (historyCount > 0) {
        historyCount = historyCount - 1;
        reLeft = historyReLeft[historyCount];
        imOffset = historyImOffset[historyCount];
        reSpan = historyReSpan[historyCount];
    }
}
