// Coverage-guided fuzzing of the selection logic: arbitrary sequences of mouse,
// key, paint and resize events on the fake window, with every invariant of the
// state machine, the overlay and the view checked after each event.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/view.h"
#include "interaction/interaction.h"
#include "interaction/overlay.h"
#include "interaction/selection_state.h"
#include "tests/fake_window.h"
#include "tests/interaction_fixture.h"
#include "tests/interaction_invariants.h"

namespace {

constexpr std::int32_t kMaxOrdinarySide = 300;
constexpr std::int32_t kMaxWideSide = 2100;  // past the 2000 pixels an edge once held
constexpr std::int32_t kMaxNarrowSide = 24;
constexpr std::size_t kMaxPendingPaints = 8;
constexpr int kMaxNestedEvents = 4;

struct EventStream {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
};

std::uint8_t TakeByte(EventStream* in) {
    return in->position < in->size ? in->data[in->position++] : 0;
}

std::uint16_t TakeWord(EventStream* in) {
    std::uint16_t low = TakeByte(in);
    return static_cast<std::uint16_t>(low | (TakeByte(in) << 8));
}

// Mostly near the client, sometimes anywhere a signed 16-bit position reaches.
std::int32_t TakeCoordinate(EventStream* in, std::int32_t extent) {
    std::uint16_t choice = TakeWord(in);
    if (choice < 0xF000) {
        return static_cast<std::int32_t>(choice % static_cast<std::uint32_t>(extent + 17)) - 8;
    }
    return static_cast<std::int16_t>(TakeWord(in));
}

Point TakePoint(EventStream* in) {
    std::int32_t x = TakeCoordinate(in, fakeWindow.width);
    return Point{x, TakeCoordinate(in, fakeWindow.height)};
}

// lParam as the window system packs it: two 16-bit halves, x low.
MessageLParam PackPosition(Point p) {
    std::uint32_t packed = (static_cast<std::uint32_t>(p.x) & 0xFFFFu) |
                           ((static_cast<std::uint32_t>(p.y) & 0xFFFFu) << 16);
    return static_cast<MessageLParam>(packed);
}

void CheckInvariants() {
    std::string broken = BrokenInvariant();
    if (!broken.empty()) {
        std::fprintf(stderr, "invariant broken: %s (state %d, overlayDrawn %d)\n", broken.c_str(),
                     static_cast<int>(interactionState), static_cast<int>(overlayDrawn));
        std::abort();
    }
}

void ResizeFromStream(EventStream* in) {
    std::uint8_t shape = TakeByte(in);
    std::int32_t a = TakeWord(in);
    std::int32_t b = TakeWord(in);
    if (shape % 8 == 0) {
        ResizeFakeWindow(a % (kMaxWideSide + 1), b % (kMaxNarrowSide + 1));
    } else if (shape % 8 == 1) {
        ResizeFakeWindow(a % (kMaxNarrowSide + 1), b % (kMaxWideSide + 1));
    } else {
        ResizeFakeWindow(a % (kMaxOrdinarySide + 1), b % (kMaxOrdinarySide + 1));
    }
}

MessageWParam TakeCharacter(EventStream* in) {
    switch (TakeByte(in) % 5) {
        case 0:
            return 27;
        case 1:
            return 66;
        case 2:
            return 98;
        case 3:
            return TakeByte(in);
        default:
            return TakeWord(in);
    }
}

void RunEvent(EventStream* in, int depth);

// The error box of a failed paint runs its own message loop: the window's
// input is handled before that paint reaches its selection check, and
// nothing was drawn.
void PaintThroughErrorBox(EventStream* in, int depth) {
    Point corner = TakePoint(in);
    Point far = TakePoint(in);
    Rect area{corner.x, corner.y, far.x, far.y};
    UpdateScales(fakeWindow.width);
    int nested = TakeByte(in) % (kMaxNestedEvents + 1);
    for (int i = 0; i < nested && depth == 0; ++i) {
        RunEvent(in, depth + 1);
    }
    AbandonSelectionUnderPaint(FakeHandle(), area);
}

// Set MANDELBROT_FUZZ_TRACE to see the events of a failing input.
bool IsTracing() {
    static const bool tracing = std::getenv("MANDELBROT_FUZZ_TRACE") != nullptr;
    return tracing;
}

void TraceEvent(const char* what) {
    if (IsTracing()) {
        std::fprintf(stderr, "%-12s state %d drawn %d sel {%d,%d,%d,%d} client %dx%d pending %zu\n",
                     what, static_cast<int>(interactionState), static_cast<int>(overlayDrawn),
                     selectionRect.left, selectionRect.top, selectionRect.right,
                     selectionRect.bottom, fakeWindow.width, fakeWindow.height,
                     fakeWindow.pendingPaints.size());
    }
}

void RunEvent(EventStream* in, int depth) {
    static const char* const kEventNames[] = {"move",       "left down", "left up",
                                              "right down", "char",      "paint",
                                              "resize",     "paint all", "error paint"};
    std::uint8_t kind = TakeByte(in);
    switch (kind % 9) {
        case 0: {
            Point p = TakePoint(in);
            MessageWParam held = (TakeByte(in) & 1) ? kLeftButtonHeld : 0;
            OnMouseMove(FakeHandle(), held, PackPosition(p));
            break;
        }
        case 1:
            OnLeftButtonDown(FakeHandle(), kLeftButtonHeld, PackPosition(TakePoint(in)));
            break;
        case 2:
            OnLeftButtonUp(FakeHandle(), 0, PackPosition(TakePoint(in)));
            break;
        case 3:
            OnRightButtonDown(FakeHandle(), 0x0002, PackPosition(TakePoint(in)));
            break;
        case 4:
            OnChar(FakeHandle(), TakeCharacter(in), 1);
            break;
        case 5: {
            Point corner = TakePoint(in);
            Point far = TakePoint(in);
            PaintLikeTheShell(Rect{corner.x, corner.y, far.x, far.y});
            break;
        }
        case 6:
            ResizeFromStream(in);
            break;
        case 7:
            PaintPendingLikeTheShell();
            break;
        default:
            PaintThroughErrorBox(in, depth);
            break;
    }
    if (fakeWindow.pendingPaints.size() > kMaxPendingPaints) {
        PaintPendingLikeTheShell();
    }
    TraceEvent(kEventNames[kind % 9]);
    CheckInvariants();
}

// The palette is not needed: the fake window's picture is a fixed pattern.
void ResetProcessState() {
    ResetViewState();
    ResetSelectionState();
    ResetFakeWindow(200, 150);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ResetProcessState();
    PaintLikeTheShell(
        Rect{0, 0, fakeWindow.width, fakeWindow.height});  // the first paint at start-up
    EventStream in{data, size, 0};
    while (in.position < in.size) {
        RunEvent(&in, 0);
    }
    PaintPendingLikeTheShell();
    CheckInvariants();
    return 0;
}
