#include "common/text_convert_win.h"

#include "common/text_convert.h"

#include <climits>

std::wstring ansi_to_wide(std::string_view text, unsigned code_page)
{
    if (text.empty() || text.size() > INT_MAX) {
        return std::wstring();
    }
    const int in = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(code_page, 0, text.data(), in, nullptr, 0);
    if (n <= 0) {
        return std::wstring();
    }
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(code_page, 0, text.data(), in, out.data(), n);
    return out;
}

std::string wide_to_ansi(std::wstring_view text, unsigned code_page)
{
    if (text.empty() || text.size() > INT_MAX) {
        return std::string();
    }
    const int in = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(code_page, 0, text.data(), in, nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        return std::string();
    }
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(code_page, 0, text.data(), in, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring from_system_narrow(std::string_view text)
{
    return ansi_to_wide(text, CP_ACP);
}

std::string to_system_narrow(std::wstring_view text)
{
    return wide_to_ansi(text, CP_ACP);
}
