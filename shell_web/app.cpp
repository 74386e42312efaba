// The web program's entry and the dispatch of the page's events: the page
// posts each pointer, key and size change here; they are handled in order,
// and held back while a paint runs, as a blocked message loop would hold them.
#include <emscripten.h>

#include <cstdint>
#include <deque>

#include "core/palette.h"
#include "interaction/interaction.h"
#include "shell_pixels/mouse_lparam.h"
#include "shell_web/cursor.h"
#include "shell_web/page_window.h"
#include "shell_web/paint.h"

namespace {

// The kinds of event the page posts; page.js uses the same numbers.
enum PageEventKind : std::int32_t {
    kPointerMove = 0,
    kLeftButtonDown = 1,
    kLeftButtonUp = 2,
    kRightButtonDown = 3,
    kCharacter = 4,
    kCanvasResize = 5,
};

// A pointer event: (a, b) the device-pixel position, c the buttons as a mouse
// message's wParam. A character: a its code point. A resize: a by b pixels.
struct PageEvent {
    PageEventKind kind;
    std::int32_t a;
    std::int32_t b;
    std::int32_t c;
};

std::deque<PageEvent> waitingEvents;

// clang-format off
EM_JS(void, StartPage, (), {
    Module.webStartPage();
});
// clang-format on

// The canvas is told of what the pointer does over it, and of all of it while
// it holds the capture.
void DeliverPointer(const PageEvent& event) {
    const Point p{event.a, event.b};
    if (!IsMouseCaptured() && !IsPointInRect(Rect{0, 0, clientWidth, clientHeight}, p)) {
        return;
    }
    const auto wParam = static_cast<MessageWParam>(event.c);
    const MessageLParam lParam = PackMouseLParam(p);
    switch (event.kind) {
        case kPointerMove:
            // The arrow returns on every move; the interaction may replace it.
            RequestCursor(kArrowCursor);
            OnMouseMove(kPageWindow, wParam, lParam);
            break;
        case kLeftButtonDown:
            OnLeftButtonDown(kPageWindow, wParam, lParam);
            break;
        case kLeftButtonUp:
            OnLeftButtonUp(kPageWindow, wParam, lParam);
            break;
        case kRightButtonDown:
            OnRightButtonDown(kPageWindow, wParam, lParam);
            break;
        default:
            break;
    }
}

void HandleEvent(const PageEvent& event) {
    switch (event.kind) {
        case kCharacter:
            OnChar(kPageWindow, static_cast<MessageWParam>(event.a), 0);
            break;
        case kCanvasResize:
            if (event.a != clientWidth || event.b != clientHeight) {
                ResizeClientSurface(event.a, event.b);
            }
            break;
        default:
            DeliverPointer(event);
            break;
    }
    PresentChanges();
    ApplyRequestedCursor();
}

// Input always goes before a paint: the paint waits for a frame once every
// waiting event has been handled.
void HandleWaitingEvents() {
    while (!IsPaintRunning() && !waitingEvents.empty()) {
        const PageEvent event = waitingEvents.front();
        waitingEvents.pop_front();
        HandleEvent(event);
    }
    SchedulePaint();
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void PostPageEvent(std::int32_t kind, std::int32_t a, std::int32_t b,
                                        std::int32_t c) {
    waitingEvents.push_back(PageEvent{static_cast<PageEventKind>(kind), a, b, c});
    HandleWaitingEvents();
}

EMSCRIPTEN_KEEPALIVE void BeginWebPaint() {
    BeginPaint();
}

EMSCRIPTEN_KEEPALIVE void FinishWebPaint() {
    FinishPaint();
    HandleWaitingEvents();
}

}  // extern "C"

int main() {
    BuildPalette();
    // The page reports the canvas size once this returns; that first resize paints.
    StartPage();
    CreateCursors();
    ShowCursorNow(kArrowCursor);
    return 0;
}
