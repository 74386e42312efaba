// Process entry, the window class and window, the message loop, and the
// window procedure that hands each message to its handler.
#pragma once

#include <windows.h>

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
