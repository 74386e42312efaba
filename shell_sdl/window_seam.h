// What the interaction's window operations on SDL tell the rest of the shell.
#pragma once

// Whether the interaction holds the mouse: from a capture SDL granted until
// the interaction gives it back.
bool IsMouseCaptured();
