#include "shell/app.h"

#include <gdiplus.h>

#include "core/palette.h"
#include "interaction/interaction.h"
#include "shell/paint.h"

namespace {

const wchar_t kClassName[] = L"Mandelbrot";
const wchar_t kWindowTitle[] = L"Mandelbrot set";

// Start-up failures end the process instead of waiting forever on a loop
// that no window will ever end; each has its own code for diagnosis.
constexpr int kExitClassRegistrationFailed = 2;
constexpr int kExitGdiplusStartupFailed = 3;
constexpr int kExitWindowCreationFailed = 4;
constexpr int kExitMessageLoopFailed = 5;

bool RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    // Any change of width or height invalidates the whole client: the scales
    // follow the width, so every pixel changes.
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hIconSm = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_PAINT:
            return OnPaint(window);
        case WM_CHAR:
            return OnChar(window, wParam, lParam);
        case WM_MOUSEMOVE:
            return OnMouseMove(window, wParam, lParam);
        case WM_LBUTTONDOWN:
            return OnLeftButtonDown(window, wParam, lParam);
        case WM_LBUTTONUP:
            return OnLeftButtonUp(window, wParam, lParam);
        case WM_RBUTTONDOWN:
            return OnRightButtonDown(window, wParam, lParam);
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (!RegisterWindowClass(instance)) {
        return kExitClassRegistrationFailed;
    }

    Gdiplus::GdiplusStartupInput startupInput;  // version 1, no callback, nothing suppressed
    ULONG_PTR gdiplusToken = 0;
    if (Gdiplus::GdiplusStartup(&gdiplusToken, &startupInput, nullptr) != Gdiplus::Ok) {
        return kExitGdiplusStartupFailed;
    }

    BuildPalette();

    HWND window = CreateWindowExW(0, kClassName, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr) {
        Gdiplus::GdiplusShutdown(gdiplusToken);
        return kExitWindowCreationFailed;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);  // the first paint, before the loop

    MSG message = {};
    int exitCode = kExitMessageLoopFailed;
    for (;;) {
        BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) {
            exitCode = static_cast<int>(message.wParam);
            break;
        }
        if (result == -1) {
            // An error, not a message: retrying would spin forever.
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    Gdiplus::GdiplusShutdown(gdiplusToken);
    return exitCode;
}
