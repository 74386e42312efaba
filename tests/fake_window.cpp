#include "tests/fake_window.h"

#include <algorithm>
#include <cstddef>

#include "core/view.h"
#include "interaction/overlay.h"
#include "interaction/selection_state.h"

FakeWindow fakeWindow;

namespace {

// Any distinct non-null value; only its identity matters.
int screenToken;

bool IsInClient(std::int32_t x, std::int32_t y) {
    return x >= 0 && x < fakeWindow.width && y >= 0 && y < fakeWindow.height;
}

std::size_t IndexOf(std::int32_t x, std::int32_t y) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(fakeWindow.width) +
           static_cast<std::size_t>(x);
}

bool IsScreenUsable(ScreenContext screen) {
    return screen == &screenToken && fakeWindow.screensAcquired > fakeWindow.screensReleased;
}

void CheckWindow(WindowHandle window) {
    if (window != FakeHandle()) {
        ++fakeWindow.faults;
    }
}

void Whiten(std::int32_t x, std::int32_t y) {
    if (IsInClient(x, y)) {
        fakeWindow.pixels[IndexOf(x, y)] = kWhite;
    }
}

}  // namespace

WindowHandle FakeHandle() {
    return &fakeWindow;
}

std::uint32_t TestPattern(std::int32_t x, std::int32_t y) {
    // Bit 23 stays clear, so no pattern pixel is ever white.
    auto ux = static_cast<std::uint32_t>(x);
    auto uy = static_cast<std::uint32_t>(y);
    return (ux & 0xFF) | ((uy & 0xFF) << 8) | (((ux * 7 + uy * 13) & 0x7F) << 16);
}

void ResetFakeWindow(std::int32_t width, std::int32_t height) {
    fakeWindow = FakeWindow{};
    fakeWindow.width = width;
    fakeWindow.height = height;
    fakeWindow.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            fakeWindow.pixels[IndexOf(x, y)] = TestPattern(x, y);
        }
    }
}

void ResizeFakeWindow(std::int32_t width, std::int32_t height) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, kWhite);
    for (std::int32_t y = 0; y < height && y < fakeWindow.height; ++y) {
        for (std::int32_t x = 0; x < width && x < fakeWindow.width; ++x) {
            pixels[static_cast<std::size_t>(y) * width + x] = PixelAt(x, y);
        }
    }
    fakeWindow.width = width;
    fakeWindow.height = height;
    fakeWindow.pixels.swap(pixels);
    fakeWindow.pendingPaints.push_back(Invalidation{true, Rect{0, 0, 0, 0}});
    ++fakeWindow.resizes;
}

std::uint32_t PixelAt(std::int32_t x, std::int32_t y) {
    return fakeWindow.pixels[IndexOf(x, y)];
}

bool IsOnOutline(const Rect& r, std::int32_t x, std::int32_t y) {
    if (r.left >= r.right || r.top >= r.bottom) {
        return false;
    }
    bool inColumns = x >= r.left && x < r.right;
    bool inRows = y >= r.top && y < r.bottom;
    return (inColumns && (y == r.top || y == r.bottom - 1)) ||
           (inRows && (x == r.left || x == r.right - 1));
}

Rect QueryClientRect(WindowHandle window) {
    CheckWindow(window);
    return Rect{0, 0, fakeWindow.width, fakeWindow.height};
}

ScreenContext AcquireScreen(WindowHandle window) {
    CheckWindow(window);
    ++fakeWindow.screensAcquired;
    fakeWindow.log.push_back("acquire");
    return &screenToken;
}

void ReleaseScreen(WindowHandle window, ScreenContext screen) {
    CheckWindow(window);
    if (!IsScreenUsable(screen)) {
        ++fakeWindow.faults;
    }
    ++fakeWindow.screensReleased;
    fakeWindow.log.push_back("release screen");
}

std::uint32_t ReadScreenPixel(ScreenContext screen, std::int32_t x, std::int32_t y) {
    ++fakeWindow.pixelReads;
    if (!IsScreenUsable(screen) || !IsInClient(x, y)) {
        ++fakeWindow.faults;
        return 0xFFFFFFFF;  // what GetPixel answers outside the clip
    }
    return fakeWindow.pixels[IndexOf(x, y)];
}

void WriteScreenPixel(ScreenContext screen, std::int32_t x, std::int32_t y, std::uint32_t colour) {
    ++fakeWindow.pixelWrites;
    if (!IsScreenUsable(screen) || !IsInClient(x, y)) {
        ++fakeWindow.faults;
        return;
    }
    fakeWindow.pixels[IndexOf(x, y)] = colour;
}

void DrawWhiteOutline(ScreenContext screen, const Rect& r) {
    if (!IsScreenUsable(screen)) {
        ++fakeWindow.faults;
        return;
    }
    fakeWindow.outlines.push_back(r);
    fakeWindow.log.push_back("outline");
    if (r.left >= r.right || r.top >= r.bottom) {
        return;
    }
    // Only the visible part is walked, so far-off rectangles cost nothing.
    std::int32_t x0 = std::max(r.left, 0);
    std::int32_t x1 = std::min(r.right, fakeWindow.width);
    std::int32_t y0 = std::max(r.top, 0);
    std::int32_t y1 = std::min(r.bottom, fakeWindow.height);
    for (std::int32_t x = x0; x < x1; ++x) {
        Whiten(x, r.top);
        Whiten(x, r.bottom - 1);
    }
    for (std::int32_t y = y0; y < y1; ++y) {
        Whiten(r.left, y);
        Whiten(r.right - 1, y);
    }
}

void InvalidateClient(WindowHandle window, const Rect* area) {
    CheckWindow(window);
    Invalidation invalidation = {area == nullptr, area != nullptr ? *area : Rect{0, 0, 0, 0}};
    fakeWindow.invalidations.push_back(invalidation);
    fakeWindow.pendingPaints.push_back(invalidation);
    fakeWindow.log.push_back("invalidate");
}

void CaptureMouse(WindowHandle window) {
    CheckWindow(window);
    ++fakeWindow.captureCalls;
    if (fakeWindow.captureHeld) {
        ++fakeWindow.capturesWhileHeld;
    }
    fakeWindow.captureHeld = true;
    fakeWindow.log.push_back("capture");
}

void ReleaseMouseCapture() {
    ++fakeWindow.releaseCalls;
    if (!fakeWindow.captureHeld) {
        ++fakeWindow.releasesWithoutCapture;
    }
    fakeWindow.captureHeld = false;
    fakeWindow.log.push_back("release capture");
}

void ShowSelectionCursor() {
    ++fakeWindow.cursorSets;
    fakeWindow.log.push_back("cursor");
}

int CountScreenMismatches(const Rect* outline) {
    int mismatches = 0;
    for (std::int32_t y = 0; y < fakeWindow.height; ++y) {
        for (std::int32_t x = 0; x < fakeWindow.width; ++x) {
            bool awaitsPaint =
                std::any_of(fakeWindow.pendingPaints.begin(), fakeWindow.pendingPaints.end(),
                            [x, y](const Invalidation& i) {
                                return i.wholeClient || IsPointInRect(i.area, Point{x, y});
                            });
            if (awaitsPaint) {
                continue;
            }
            bool white = outline != nullptr && IsOnOutline(*outline, x, y);
            if (PixelAt(x, y) != (white ? kWhite : TestPattern(x, y))) {
                ++mismatches;
            }
        }
    }
    return mismatches;
}

void PaintLikeTheShell(const Rect& area) {
    UpdateScales(fakeWindow.width);
    Rect painted;
    if (IntersectRects(&painted, area, Rect{0, 0, fakeWindow.width, fakeWindow.height})) {
        for (std::int32_t y = painted.top; y < painted.bottom; ++y) {
            for (std::int32_t x = painted.left; x < painted.right; ++x) {
                fakeWindow.pixels[IndexOf(x, y)] = TestPattern(x, y);
            }
        }
    }
    RefreshOverlayUnderPaint(FakeHandle(), area);
    AbandonSelectionUnderPaint(FakeHandle(), area);
}

void PaintPendingLikeTheShell() {
    while (!fakeWindow.pendingPaints.empty()) {
        Invalidation next = fakeWindow.pendingPaints.front();
        fakeWindow.pendingPaints.erase(fakeWindow.pendingPaints.begin());
        Rect client = {0, 0, fakeWindow.width, fakeWindow.height};
        Rect area;
        if (next.wholeClient) {
            PaintLikeTheShell(client);
        } else if (IntersectRects(&area, client, next.area)) {
            PaintLikeTheShell(area);
        }
    }
}
