#include "common/date_time_win.h"

#include <windows.h>

#include <ctime>

unsigned current_ui_language()
{
    return GetUserDefaultUILanguage();
}

local_time local_time_from_system_time(const SYSTEMTIME& st)
{
    local_time t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.millisecond = st.wMilliseconds;
    return t;
}

local_time current_local_time()
{
    SYSTEMTIME st = {};
    GetLocalTime(&st);
    return local_time_from_system_time(st);
}

std::int64_t current_unix_time()
{
    return static_cast<std::int64_t>(_time64(nullptr));
}

local_time local_time_from_unix(std::int64_t seconds)
{
    local_time t;
    const __time64_t value = seconds;
    struct tm parts = {};
    if (_localtime64_s(&parts, &value) != 0) {
        return t;
    }
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    return t;
}
