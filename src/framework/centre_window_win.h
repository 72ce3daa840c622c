// The one centring routine of the program's windows: the dialogs, the message
// box and the wait window.
#pragma once

#include <windows.h>

// Centres `window` on `over` when that is shown and not minimised, otherwise
// on the work area of the monitor `window` is on. Size and z-order stay.
void centre_window(HWND window, HWND over);
