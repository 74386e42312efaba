#include "shell_web/cursor.h"

#include <emscripten.h>

#include <cstdint>
#include <vector>

#include "shell_pixels/text_picture.h"
#include "shell_pixels/up_arrow_picture.h"

namespace {

constexpr std::uint32_t kBlack = 0xFF000000;  // red, green, blue, alpha bytes
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

CursorKind shownCursor = kArrowCursor;
CursorKind requestedCursor = kArrowCursor;

// No CSS cursor is an up-arrow: the picture becomes an image cursor, with the
// arrow as the fallback where images are refused.
// clang-format off
EM_JS(void, DefineCursors, (const void* upArrow, int width, int height, int hotX, int hotY), {
    const picture = document.createElement("canvas");
    picture.width = width;
    picture.height = height;
    const image = new ImageData(new Uint8ClampedArray(HEAPU8.slice(upArrow, upArrow + width * height * 4).buffer), width, height);
    picture.getContext("2d").putImageData(image, 0, 0);
    Module.webCursors = ["default", "wait", "url(" + picture.toDataURL("image/png") + ") " + hotX + " " + hotY + ", default"];
});

EM_JS(void, SetCanvasCursor, (int shape), {
    Module.webCanvas.style.cursor = Module.webCursors[shape];
});
// clang-format on

}  // namespace

void CreateCursors() {
    std::vector<std::uint32_t> upArrow(kUpArrowWidth * kUpArrowHeight, 0u);
    DecodeTextPicture(kUpArrowPicture, 1, [&](int x, int y, char cell) {
        if (x < kUpArrowWidth && y < kUpArrowHeight) {
            upArrow[static_cast<std::size_t>(y) * kUpArrowWidth + x] =
                cell == kUpArrowBlackCell ? kBlack : kWhite;
        }
    });
    DefineCursors(upArrow.data(), kUpArrowWidth, kUpArrowHeight, kUpArrowHotX, kUpArrowHotY);
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
    SetCanvasCursor(shape);
    shownCursor = shape;
    requestedCursor = shape;
}
