#include "common/monitors_win.h"

std::deque<monitor_record> g_monitors;

namespace {

BOOL CALLBACK add_monitor(HMONITOR handle, HDC, LPRECT, LPARAM)
{
    monitor_record record = {};
    record.handle = handle;
    record.info.cbSize = sizeof(record.info);
    if (!GetMonitorInfoW(handle, &record.info)) {
        return TRUE;
    }
    record.monitor_rect = record.info.rcMonitor;
    record.work_rect = record.info.rcWork;
    if (record.info.dwFlags & MONITORINFOF_PRIMARY) {
        g_monitors.push_front(record);
    } else {
        g_monitors.push_back(record);
    }
    return TRUE;
}

}  // namespace

void refresh_monitor_list()
{
    g_monitors.clear();
    EnumDisplayMonitors(nullptr, nullptr, add_monitor, 0);
}
