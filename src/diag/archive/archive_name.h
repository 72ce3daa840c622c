// The time stamp in the name of the final log archive.
#pragma once

#include "common/date_time.h"

#include <string>

// Korean UI: year, month, day, hour, minute, second with leading zeros
// ("20250502140309"); any other UI: month, day and year without leading zeros and
// the same six-digit time ("522025140309"). No separators, so the stamp is always
// usable in a file name.
std::wstring archive_time_stamp(const local_time& t, unsigned ui_language);
