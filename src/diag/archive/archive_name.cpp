#include "diag/archive/archive_name.h"

#include "common/format.h"

std::wstring archive_time_stamp(const local_time& t, unsigned ui_language)
{
    std::wstring date;
    if (ui_language == ui_language_korean)
        date = format_text(L"%d%s%02d%s%02d", t.year, L"", t.month, L"", t.day);
    else
        date = format_text(L"%d%s%d%s%d", t.month, L"", t.day, L"", t.year);
    return date + format_text(L"%02d%s%02d%s%02d", t.hour, L"", t.minute, L"", t.second);
}
