// The system's converters: UTF-8 to UTF-16 to the code page, refusing best fits.
#include "diag/redact/code_page.h"

#include <windows.h>

namespace vantu::redact {

std::optional<std::string> utf8_to_code_page(std::string_view utf8, unsigned code_page)
{
    if (utf8.empty())
        return std::string();
    const int in_len = static_cast<int>(utf8.size());
    const int wide_len = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), in_len, nullptr, 0);
    if (wide_len <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(wide_len), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), in_len, wide.data(), wide_len);
    BOOL used_default = FALSE;
    const int out_len = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide.data(), wide_len, nullptr, 0,
                                            nullptr, &used_default);
    if (out_len <= 0 || used_default)
        return std::nullopt;
    std::string out(static_cast<std::size_t>(out_len), '\0');
    WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide.data(), wide_len, out.data(), out_len, nullptr,
                        &used_default);
    if (used_default)
        return std::nullopt;
    return out;
}

} // namespace vantu::redact
