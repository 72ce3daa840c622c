#include "common/registry_win.h"

#include <algorithm>
#include <vector>

LONG read_registry_dword(HKEY root, const std::wstring& sub_key, const std::wstring& value_name, DWORD& value)
{
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(root, sub_key.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    status = RegQueryValueExW(key, value_name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(key);
    if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && (type != REG_DWORD || size != sizeof(DWORD)))) {
        return ERROR_INVALID_DATATYPE;
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    value = data;
    return ERROR_SUCCESS;
}

LONG read_registry_string(HKEY root, const std::wstring& sub_key, const std::wstring& value_name,
                          std::wstring& value)
{
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(root, sub_key.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    DWORD type = 0;
    DWORD size = 0;
    status = RegQueryValueExW(key, value_name.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) {
        RegCloseKey(key);
        return status;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        RegCloseKey(key);
        return ERROR_INVALID_DATATYPE;
    }
    // The value may grow between the two reads; try again with the new size.
    std::vector<wchar_t> buffer;
    for (int attempt = 0; attempt < 4; ++attempt) {
        buffer.assign(size / sizeof(wchar_t) + 2, L'\0');
        DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        status = RegQueryValueExW(key, value_name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                  &bytes);
        if (status == ERROR_MORE_DATA) {
            size = bytes;
            continue;
        }
        size = bytes;
        break;
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return ERROR_INVALID_DATATYPE;
    }
    // Registry strings need not end in a zero.
    std::wstring text(buffer.data(), std::min<std::size_t>(size / sizeof(wchar_t), buffer.size() - 1));
    const std::size_t end = text.find(L'\0');
    if (end != std::wstring::npos) {
        text.resize(end);
    }
    if (type == REG_EXPAND_SZ) {
        const DWORD n = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
        if (n > 0) {
            std::wstring expanded(n, L'\0');
            const DWORD m = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), n);
            if (m > 0 && m <= n) {
                expanded.resize(m - 1);
                text = expanded;
            }
        }
    }
    value = text;
    return ERROR_SUCCESS;
}
