// The Windows tests' surroundings under Wine: environment variables, Linux paths
// as Wine sees them, and waiting on a condition while this thread's messages flow.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace test_support {

// The variable's value; empty when it is missing or longer than 4095 characters.
std::wstring env(const wchar_t* name);

// A Linux path as Wine's Z: drive sees it; any other path as it is.
std::wstring wine_path(const std::wstring& unix_path);

// Dispatches what is queued for this thread now.
void pump_pending();

// Polls `done` until it holds or `limit_ms` passes, dispatching this thread's
// messages meanwhile (so windows of this process keep working, and a thread with
// none loses nothing by it); returns whether it held.
bool wait_until(const std::function<bool()>& done, DWORD limit_ms = 10000);

} // namespace test_support
