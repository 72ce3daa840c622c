#include "common/date_time.h"

#include "common/format.h"

std::wstring format_date(const local_time& t, const std::wstring& separator, unsigned ui_language)
{
    if (ui_language == ui_language_korean) {
        return format_text(L"%d%s%02d%s%02d", t.year, separator.c_str(), t.month, separator.c_str(), t.day);
    }
    return format_text(L"%d%s%d%s%d", t.month, L"/", t.day, L"/", t.year);
}

std::wstring format_date(const local_time& t, const std::wstring& separator)
{
    return format_date(t, separator, current_ui_language());
}

std::wstring format_time(const local_time& t, const std::wstring& separator, bool hour24, bool with_seconds,
                         unsigned ui_language)
{
    const wchar_t* sep = separator.c_str();
    if (hour24) {
        if (!with_seconds) {
            return format_text(L"%02d%s%02d", t.hour, sep, t.minute);
        }
        return format_text(L"%02d%s%02d%s%02d", t.hour, sep, t.minute, sep, t.second);
    }
    const bool afternoon = t.hour >= 12;
    const int hour = t.hour > 12 ? t.hour - 12 : t.hour;
    if (ui_language == ui_language_korean) {
        const wchar_t* half = afternoon ? L"오후" : L"오전";
        if (!with_seconds) {
            return format_text(L"%s %2d%s%02d", half, hour, sep, t.minute);
        }
        return format_text(L"%s %2d%s%02d%s%02d", half, hour, sep, t.minute, sep, t.second);
    }
    const wchar_t* half = afternoon ? L"PM" : L"AM";
    if (!with_seconds) {
        return format_text(L"%2d%s%02d %s", hour, sep, t.minute, half);
    }
    return format_text(L"%2d%s%02d%s%02d %s", hour, sep, t.minute, sep, t.second, half);
}

std::wstring format_time(const local_time& t, const std::wstring& separator, bool hour24, bool with_seconds)
{
    return format_time(t, separator, hour24, with_seconds, current_ui_language());
}

std::wstring format_date_time(const local_time& t, int mode, bool separators, const std::wstring& middle,
                              bool hour24, bool with_seconds, unsigned ui_language)
{
    const std::wstring date_sep = separators ? L"-" : L"";
    const std::wstring time_sep = separators ? L":" : L"";
    if (mode == date_time_mode_date) {
        return format_date(t, date_sep, ui_language);
    }
    const std::wstring time = format_time(t, time_sep, hour24, with_seconds, ui_language);
    if (mode == date_time_mode_time) {
        return time;
    }
    return format_date(t, date_sep, ui_language) + middle + time;
}

std::wstring format_date_time(const local_time& t, int mode, bool separators, const std::wstring& middle,
                              bool hour24, bool with_seconds)
{
    return format_date_time(t, mode, separators, middle, hour24, with_seconds, current_ui_language());
}

std::wstring now_text(int mode, bool separators, const std::wstring& middle, bool hour24, bool with_seconds)
{
    return format_date_time(current_local_time(), mode, separators, middle, hour24, with_seconds);
}

std::wstring sortable_date_time(const local_time& t)
{
    return format_text(L"%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}
