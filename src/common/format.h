// printf-style formatting of wide text with the Windows meaning of the
// conversions in both trees: %s and %c take wide text, %S and %C narrow text
// (%hs/%hc narrow, %ls/%ws/%lc/%wc wide), whatever the C runtime would do.
#pragma once

#include <cstdarg>
#include <string>

// Returns the formatted text, or an empty string when the format is rejected.
std::wstring format_text(const wchar_t* fmt, ...);
std::wstring vformat_text(const wchar_t* fmt, va_list args);

// As vformat_text, but tells a rejected format (unknown conversion, %n, a null
// format) apart from an empty result: returns false and leaves out untouched.
bool try_vformat_text(std::wstring& out, const wchar_t* fmt, va_list args);
