#include "common/gdiplus_startup_win.h"

#include <windows.h>
#include <gdiplus.h>

#include <mutex>

bool ensure_gdiplus()
{
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    });
    return started;
}
