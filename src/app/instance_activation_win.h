// Finding and bringing forward the window of an instance of this program that
// already runs.
#pragma once

#include <windows.h>

// The first top-level window, in z-order, of another process running an
// executable of this file name; null when there is none.
HWND find_running_instance_window();
// Restores the window if minimised and brings it to the foreground.
void activate_window(HWND window);
