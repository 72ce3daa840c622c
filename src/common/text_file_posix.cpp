#include "common/text_file_platform.h"

#include "common/text_convert.h"
#include "common/text_file.h"

#include <cstdio>
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
    return looks_like_utf16le(head);
}

std::wstring decode_utf7(std::string_view bytes)
{
    return from_system_narrow(bytes);
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
    std::fprintf(stderr, "%s\n\n위 파일을 열 수 없습니다. 다른 프로세스에 의해 사용중일 수 있습니다.\n", to_utf8(path).c_str());
}
