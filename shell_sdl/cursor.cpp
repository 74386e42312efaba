#include "shell_sdl/cursor.h"

#include <SDL.h>

#include "shell_pixels/text_picture.h"
#include "shell_pixels/up_arrow_picture.h"

namespace {

constexpr int kCursorSize = 32;

SDL_Cursor* cursors[3] = {};
CursorKind shownCursor = kArrowCursor;
CursorKind requestedCursor = kArrowCursor;

SDL_Cursor* CreateUpArrowCursor() {
    // One bit a pixel, most significant first: data 1 and mask 1 is black,
    // data 0 and mask 1 white, mask 0 transparent.
    Uint8 data[kCursorSize * kCursorSize / 8] = {};
    Uint8 mask[kCursorSize * kCursorSize / 8] = {};
    DecodeTextPicture(kUpArrowPicture, 1, [&](int x, int y, char cell) {
        if (x >= kCursorSize || y >= kCursorSize) {
            return;
        }
        const int byte = (y * kCursorSize + x) / 8;
        const auto bit = static_cast<Uint8>(0x80 >> (x % 8));
        mask[byte] |= bit;
        if (cell == kUpArrowBlackCell) {
            data[byte] |= bit;
        }
    });
    return SDL_CreateCursor(data, mask, kCursorSize, kCursorSize, kUpArrowHotX, kUpArrowHotY);
}

}  // namespace

void CreateCursors() {
    cursors[kArrowCursor] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    cursors[kWaitCursor] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    cursors[kUpArrowCursor] = CreateUpArrowCursor();
}

void FreeCursors() {
    for (SDL_Cursor*& cursor : cursors) {
        if (cursor != nullptr) {
            SDL_FreeCursor(cursor);
            cursor = nullptr;
        }
    }
}

void RequestCursor(CursorKind shape) {
    requestedCursor = shape;
}

void ApplyRequestedCursor() {
    if (requestedCursor != shownCursor) {
        ShowCursorNow(requestedCursor);
    }
}

void ShowCursorNow(CursorKind shape) {
    SDL_Cursor* cursor = cursors[shape] != nullptr ? cursors[shape] : SDL_GetDefaultCursor();
    SDL_SetCursor(cursor);
    shownCursor = shape;
    requestedCursor = shape;
}
