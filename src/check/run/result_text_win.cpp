#include "check/run/result_text.h"

#include <windows.h>

namespace {

std::wstring trim(const std::wstring& s)
{
    const wchar_t* blanks = L" \t\r\n";
    const size_t b = s.find_first_not_of(blanks);
    if (b == std::wstring::npos)
        return {};
    const size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

} // namespace

std::wstring system_error_text(std::int32_t code)
{
    wchar_t* buffer = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS;
    HMODULE wininet = nullptr;
    if (code >= 12000 && code <= 12174) {
        // WinINet's texts live in its own message table.
        wininet = LoadLibraryExW(L"wininet.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (wininet)
            flags |= FORMAT_MESSAGE_FROM_HMODULE;
        else
            flags |= FORMAT_MESSAGE_FROM_SYSTEM;
    } else {
        flags |= FORMAT_MESSAGE_FROM_SYSTEM;
    }
    const DWORD n = FormatMessageW(flags, wininet, static_cast<DWORD>(code), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text;
    if (n && buffer)
        text.assign(buffer, n);
    if (buffer)
        LocalFree(buffer);
    if (wininet)
        FreeLibrary(wininet);
    return trim(text);
}
