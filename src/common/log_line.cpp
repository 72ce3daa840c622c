#include "common/log_line.h"

#include "common/format.h"

const wchar_t* log_level_tag(int level)
{
    switch (level) {
    case 1: return L"[info]";
    case 2: return L"[warn]";
    case 3: return L"[error]";
    case 4: return L"[critical]";
    case 5: return L"[sql]";
    case 7: return L"[debug]";
    default: return L"";
    }
}

std::size_t strip_leading_line_feeds(std::wstring& message)
{
    std::size_t n = 0;
    while (n < message.size() && message[n] == L'\n') {
        ++n;
    }
    message.erase(0, n);
    return n;
}

std::wstring build_log_line(const local_time& t, const std::wstring& function, const std::wstring& line_number,
                            int level, const std::wstring& message)
{
    return format_text(L"[%d/%02d/%02d %02d:%02d:%02d.%03d][%s][%s]%s %s", t.year, t.month, t.day, t.hour,
                       t.minute, t.second, t.millisecond, function.c_str(), line_number.c_str(),
                       log_level_tag(level), message.c_str());
}

std::wstring log_file_path(const std::wstring& folder, const std::wstring& base_name, const local_time& start,
                           bool time_in_name, wchar_t separator)
{
    const wchar_t sep[2] = {separator, 0};
    if (time_in_name) {
        return format_text(L"%s%s%s_%d%02d%02d_%02d%02d%02d.log", folder.c_str(), sep, base_name.c_str(),
                           start.year, start.month, start.day, start.hour, start.minute, start.second);
    }
    return format_text(L"%s%s%s_%d%02d%02d.log", folder.c_str(), sep, base_name.c_str(), start.year, start.month,
                       start.day);
}

log_folder_choice log_folder_from_setting(const std::wstring& setting, const std::wstring& exe_folder,
                                          wchar_t separator)
{
    log_folder_choice choice;
    const std::wstring sep(1, separator);
    if (setting.empty()) {
        choice.folder = exe_folder + sep + L"Log";
        return choice;
    }
    std::wstring folder = setting;
    const wchar_t other = separator == L'\\' ? L'/' : L'\\';
    for (auto& ch : folder) {
        if (ch == other) {
            ch = separator;
        }
    }
    const std::wstring drive_mark = L":" + sep;
    const std::size_t drive = folder.find(drive_mark);
    const bool has_drive = drive != std::wstring::npos && drive >= 1;
    const bool unc = folder.size() >= 2 && folder[0] == separator && folder[1] == separator;
    const bool rooted = separator == L'/' && folder[0] == L'/';
    if (has_drive || unc || rooted) {
        choice.folder = folder;
        return choice;
    }
    choice.folder = exe_folder + sep + folder;
    choice.resolve_full_path = true;
    return choice;
}
