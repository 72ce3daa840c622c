#include "framework/centre_window_win.h"

#include "common/window_geometry.h"

void centre_window(HWND window, HWND over)
{
    if (!window)
        return;
    RECT area{};
    if (over && IsWindowVisible(over) && !IsIconic(over)) {
        GetWindowRect(over, &area);
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
        area = monitor.rcWork;
    }
    RECT rc{};
    GetWindowRect(window, &rc);
    const ScreenPoint at = centred_position(rc.right - rc.left, rc.bottom - rc.top,
                                            ScreenRect{area.left, area.top, area.right, area.bottom});
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
