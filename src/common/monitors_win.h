// The display monitors, primary first.
#pragma once

#include <windows.h>

#include <deque>

struct monitor_record
{
    MONITORINFOEXW info;
    HMONITOR handle;
    RECT monitor_rect;  // virtual-screen coordinates
    RECT work_rect;
};

// Not locked: refreshed and read by one thread at a time.
extern std::deque<monitor_record> g_monitors;

void refresh_monitor_list();
