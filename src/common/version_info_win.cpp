#include "common/version_info.h"

#include "common/file_utils.h"
#include "common/format.h"

#include <windows.h>

#include <vector>

std::wstring get_version_string(const std::wstring& path, const std::wstring& key)
{
    const std::wstring file = path.empty() ? module_file_path() : path;
    if (file.empty() || key.empty()) {
        return std::wstring();
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0) {
        return std::wstring();
    }
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) {
        return std::wstring();
    }
    struct translation
    {
        WORD language;
        WORD code_page;
    };
    translation* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &length) ||
        !translations || length < sizeof(translation)) {
        return std::wstring();
    }
    const std::wstring query = format_text(L"\\StringFileInfo\\%04x%04x\\%s", translations[0].language,
                                           translations[0].code_page, key.c_str());
    wchar_t* value = nullptr;
    UINT value_length = 0;
    if (!VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &value_length) || !value ||
        value_length == 0) {
        return std::wstring();
    }
    std::wstring text(value, value_length);
    const std::size_t end = text.find(L'\0');
    if (end != std::wstring::npos) {
        text.resize(end);
    }
    return text;
}
