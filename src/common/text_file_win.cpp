#include "common/text_file_platform.h"

#include "common/text_convert_win.h"

#include <windows.h>

#include <climits>
#include <mutex>

namespace {

std::mutex reporter_mutex;
std::function<void(const std::wstring&)>& reporter()
{
    static std::function<void(const std::wstring&)> the_reporter;
    return the_reporter;
}

}  // namespace

bool system_is_text_unicode(std::string_view head)
{
    if (head.empty() || head.size() > INT_MAX) {
        return false;
    }
    INT tests = IS_TEXT_UNICODE_UNICODE_MASK;
    return IsTextUnicode(head.data(), static_cast<int>(head.size()), &tests) != FALSE;
}

std::wstring decode_utf7(std::string_view bytes)
{
    std::wstring text = ansi_to_wide(bytes, CP_UTF7);
    if (!text.empty() && text.front() == L'\xFEFF') {
        text.erase(0, 1);
    }
    return text;
}

void set_unreadable_file_reporter(std::function<void(const std::wstring&)> replacement)
{
    std::lock_guard<std::mutex> guard(reporter_mutex);
    reporter() = std::move(replacement);
}

void report_unreadable_file(const std::wstring& path)
{
    std::function<void(const std::wstring&)> custom;
    {
        std::lock_guard<std::mutex> guard(reporter_mutex);
        custom = reporter();
    }
    if (custom) {
        custom(path);
        return;
    }
    const std::wstring message = unreadable_file_message(path);
    MessageBoxW(nullptr, message.c_str(), nullptr, MB_OK | MB_ICONWARNING);
}
