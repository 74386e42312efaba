// A window without a window system: the seam functions act on this picture and
// record every capture, cursor, invalidation and drawing context they see.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "core/rect.h"
#include "interaction/window_seam.h"

inline bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline bool operator==(const Point& a, const Point& b) {
    return a.x == b.x && a.y == b.y;
}

// Readable failure messages in the tests.
inline void PrintTo(const Rect& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

inline void PrintTo(const Point& p, std::ostream* out) {
    *out << "(" << p.x << ", " << p.y << ")";
}

constexpr std::uint32_t kWhite = 0x00FFFFFF;

struct Invalidation {
    bool wholeClient;
    Rect area;  // meaningful only when !wholeClient
};

struct FakeWindow {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;  // row-major, 0x00BBGGRR

    bool captureHeld = false;
    int captureCalls = 0;
    int releaseCalls = 0;
    int releasesWithoutCapture = 0;
    int capturesWhileHeld = 0;

    int cursorSets = 0;
    std::vector<Invalidation> invalidations;  // every one ever made
    std::vector<Invalidation> pendingPaints;  // not yet repainted

    int screensAcquired = 0;
    int screensReleased = 0;
    int pixelReads = 0;
    int pixelWrites = 0;
    std::vector<Rect> outlines;  // rectangles handed to DrawWhiteOutline

    // Misuse of the seam: wrong handles, pixels outside the client, drawing
    // without an acquired screen.
    int faults = 0;
    // Size changes so far: after one, the saved edges of a shown outline may
    // lie outside the client until it is repainted.
    int resizes = 0;

    std::vector<std::string> log;  // seam calls in order, by short name
};

extern FakeWindow fakeWindow;

// The handle the code under test is given for fakeWindow.
WindowHandle FakeHandle();

// A fresh window whose client shows TestPattern everywhere.
void ResetFakeWindow(std::int32_t width, std::int32_t height);

// Never white, and different between neighbours, so a stray or missing
// restore shows up.
std::uint32_t TestPattern(std::int32_t x, std::int32_t y);

// The window changes size: what was on screen stays where it still fits, the
// rest is erased to white, and the whole client waits for its repaint.
void ResizeFakeWindow(std::int32_t width, std::int32_t height);

std::uint32_t PixelAt(std::int32_t x, std::int32_t y);

// Whether (x, y) lies on the one-pixel outline of r.
bool IsOnOutline(const Rect& r, std::int32_t x, std::int32_t y);

// What the shells' paint handler does with a paint rectangle: the scales
// follow the client width, the picture comes back there, a live drag
// outline's saved edges are refreshed, and a shown selection the paint met is
// abandoned.
void PaintLikeTheShell(const Rect& area);

// Repaints everything invalidated so far, clipped to the client, as the
// message loop would once its queue is empty.
void PaintPendingLikeTheShell();

// Client pixels that differ from what the screen should show: the pattern,
// with the outline of *outline (if any) in white. Areas waiting for a repaint
// are skipped, since the repaint decides what they show.
int CountScreenMismatches(const Rect* outline);
