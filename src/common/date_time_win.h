// Windows time values as the portable local_time.
#pragma once

#include "common/date_time.h"

#include <windows.h>

// The fields of a SYSTEMTIME, as they are (no time zone conversion).
local_time local_time_from_system_time(const SYSTEMTIME& st);
