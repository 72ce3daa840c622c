#include "common/date_time.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/time.h>

unsigned current_ui_language()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return std::strncmp(value, "ko", 2) == 0 ? ui_language_korean : 1033u;
        }
    }
    return 1033u;
}

namespace {

local_time from_tm(const struct tm& parts, int millisecond)
{
    local_time t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.millisecond = millisecond;
    return t;
}

}  // namespace

local_time current_local_time()
{
    struct timeval tv = {};
    gettimeofday(&tv, nullptr);
    struct tm parts = {};
    const time_t seconds = tv.tv_sec;
    localtime_r(&seconds, &parts);
    return from_tm(parts, static_cast<int>(tv.tv_usec / 1000));
}

std::int64_t current_unix_time()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

local_time local_time_from_unix(std::int64_t seconds)
{
    struct tm parts = {};
    const time_t value = static_cast<time_t>(seconds);
    if (!localtime_r(&value, &parts)) {
        return local_time();
    }
    return from_tm(parts, 0);
}
