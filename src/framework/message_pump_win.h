// Waiting on the user-interface thread without freezing it: workers send
// synchronous messages to our windows, so a plain blocking wait would deadlock.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches window messages for ms milliseconds.
void pump_messages_for(DWORD ms);
// Dispatches messages in slices of slice_ms until done() is true. A WM_QUIT
// seen meanwhile is put back for the outer loop.
void pump_messages_until(const std::function<bool()>& done, DWORD slice_ms = 1000);
