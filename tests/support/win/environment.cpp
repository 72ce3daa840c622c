#include "support/win/environment.h"

#include <algorithm>

namespace test_support {

std::wstring env(const wchar_t* name)
{
    wchar_t buffer[4096] = {};
    const DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

std::wstring wine_path(const std::wstring& unix_path)
{
    if (unix_path.empty() || unix_path[0] != L'/')
        return unix_path;
    std::wstring path = L"Z:" + unix_path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

void pump_pending()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool wait_until(const std::function<bool()>& done, DWORD limit_ms)
{
    const ULONGLONG deadline = GetTickCount64() + limit_ms;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        // Wakes at once for a new message, else after 20 ms (or at the deadline).
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                                  QS_ALLINPUT);
        pump_pending();
    }
    return true;
}

} // namespace test_support
