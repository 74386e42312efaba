// The page's one window, as the interaction's handlers name it.
#pragma once

#include "interaction/window_seam.h"

// The canvas stands for the window; the handle is never looked into.
extern const WindowHandle kPageWindow;

// Whether the pointer is captured for the canvas, so that events outside it
// belong to the program too.
bool IsMouseCaptured();
