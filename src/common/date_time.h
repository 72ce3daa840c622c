// Local calendar time and its texts. The formatting functions take the UI
// language so that both branches (Korean 1042 and every other language) can be
// produced and tested anywhere; the short overloads use the running system's.
#pragma once

#include <cstdint>
#include <string>

struct local_time
{
    int year = 1970;
    int month = 1;   // 1 to 12
    int day = 1;     // 1 to 31
    int hour = 0;    // 0 to 23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

constexpr unsigned ui_language_korean = 1042;

// GetUserDefaultUILanguage on Windows; elsewhere 1042 when LC_ALL, LC_MESSAGES or
// LANG names Korean, 1033 otherwise.
unsigned current_ui_language();

local_time current_local_time();
std::int64_t current_unix_time();
local_time local_time_from_unix(std::int64_t seconds);

// Korean: "2026-12-08" (year, separator, month, separator, day); any other
// language: "12/8/2026" whatever the separator.
std::wstring format_date(const local_time& t, const std::wstring& separator, unsigned ui_language);
std::wstring format_date(const local_time& t, const std::wstring& separator);

// 24-hour "10:05:03"; 12-hour "오후  1:05:03" on Korean, " 1:05:03 PM" (or " 1:05 PM") otherwise.
std::wstring format_time(const local_time& t, const std::wstring& separator, bool hour24, bool with_seconds,
                         unsigned ui_language);
std::wstring format_time(const local_time& t, const std::wstring& separator, bool hour24, bool with_seconds);

// mode 0: time only, 1: date only, 2: date, middle separator, time. The separators
// flag selects "-" and ":" or no separators at all.
constexpr int date_time_mode_time = 0;
constexpr int date_time_mode_date = 1;
constexpr int date_time_mode_both = 2;
std::wstring format_date_time(const local_time& t, int mode, bool separators, const std::wstring& middle,
                              bool hour24, bool with_seconds, unsigned ui_language);
std::wstring format_date_time(const local_time& t, int mode = date_time_mode_both, bool separators = true,
                              const std::wstring& middle = L" ", bool hour24 = true, bool with_seconds = true);

// "2026-12-09 10:05:03" whatever the user interface's language: for texts that
// are read across machines (the archive's front page and manifest).
std::wstring sortable_date_time(const local_time& t);

// format_date_time of the current local time.
std::wstring now_text(int mode = date_time_mode_both, bool separators = true, const std::wstring& middle = L" ",
                      bool hour24 = true, bool with_seconds = true);
