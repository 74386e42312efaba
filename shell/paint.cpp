#include "shell/paint.h"

#include <gdiplus.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "core/render.h"
#include "core/view.h"
#include "interaction/overlay.h"
#include "interaction/selection_state.h"

namespace {

const wchar_t kPlaceholderText[] = L"mandelbrot program";
const wchar_t kErrorCaption[] = L"Error";
const wchar_t kLayoutErrorText[] = L"Picture format may not be 24 bit jpg or bmp type";

// The bitmap wrapper comes from GDI+'s own allocator; running out of it ends
// the process, as nothing could be drawn again.
constexpr int kExitBitmapAllocationFailed = 1;

Rect ToRect(const RECT& r) {
    return Rect{static_cast<std::int32_t>(r.left), static_cast<std::int32_t>(r.top),
                static_cast<std::int32_t>(r.right), static_cast<std::int32_t>(r.bottom)};
}

Gdiplus::Bitmap* AllocateBitmap(INT width, INT height) {
    // GdiplusBase's operator new returns null on failure instead of throwing,
    // which a new-expression may not do; allocate and construct separately.
    void* memory = Gdiplus::DllExports::GdipAlloc(sizeof(Gdiplus::Bitmap));
    if (memory == nullptr) {
        std::exit(kExitBitmapAllocationFailed);
    }
    return ::new (memory) Gdiplus::Bitmap(width, height, PixelFormat32bppARGB);
}

// Renders area into pixels and copies them into the locked bitmap memory;
// false when the pixels cannot be held, in which case nothing is drawn.
bool RenderIntoLockedBits(const Rect& area, const Gdiplus::BitmapData& lockRecord,
                          PixelBuffer* pixels) {
    if (!AllocatePixelBuffer(area, pixels)) {
        return false;
    }
    RenderRegion(area, pixels->data());
    // Both sides are packed rows (the stride check guarantees it): one block copy.
    std::memcpy(lockRecord.Scan0, pixels->data(), pixels->size() * sizeof((*pixels)[0]));
    return true;
}

}  // namespace

bool PresentRegion(HDC dc, const RECT& area) {
    const INT width = area.right - area.left;
    const INT height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    bool drawn = false;
    // Released in reverse: the bitmap (explicitly, below), the pixel buffer,
    // then the graphics object.
    Gdiplus::Graphics graphics(dc);
    PixelBuffer pixels;
    Gdiplus::Bitmap* bitmap = AllocateBitmap(width, height);
    if (bitmap->GetLastStatus() == Gdiplus::Ok) {
        Gdiplus::Rect lockArea(0, 0, width, height);
        Gdiplus::BitmapData lockRecord = {};
        if (bitmap->LockBits(&lockArea, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB,
                             &lockRecord) == Gdiplus::Ok) {
            bool drawable = true;
            if (lockRecord.Stride / 4 != width) {
                MessageBoxW(nullptr, kLayoutErrorText, kErrorCaption, MB_OK);
                drawable = false;
            } else {
                drawable = RenderIntoLockedBits(ToRect(area), lockRecord, &pixels);
            }
            bitmap->UnlockBits(&lockRecord);
            if (drawable) {
                graphics.DrawImage(bitmap, static_cast<INT>(area.left), static_cast<INT>(area.top),
                                   width, height);
                drawn = true;
            }
        }
    }
    // GdipDisposeImage through the destructor, then GdipFree.
    delete bitmap;
    return drawn;
}

namespace {

// Puts what GDI has drawn on the screen before a long render blocks the
// thread. Windows batches GDI calls until GdiFlush. Wine draws a window into
// memory and copies it to the X server only when the thread waits for
// messages (or draws again, 50 ms after BeginPaint), so there a wait that
// returns at once, for no message at all, does it.
void ShowDrawingNow() {
    GdiFlush();
    MsgWaitForMultipleObjectsEx(0, nullptr, 0, 0, 0);
}

}  // namespace

LRESULT OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    UpdateScales(client.right);

    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    ShowCursor(TRUE);
    // Stands centred on the white background until the picture covers it.
    DrawTextW(dc, kPlaceholderText, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    ShowDrawingNow();

    Rect paintRect = ToRect(paint.rcPaint);
    if (PresentRegion(dc, paint.rcPaint)) {
        RefreshOverlayUnderPaint(window, paintRect);
    }
    AbandonSelectionUnderPaint(window, paintRect);

    ShowCursor(FALSE);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    EndPaint(window, &paint);
    return 0;
}
