#include "framework/settings_store.h"

#include <windows.h>

#include <mutex>

namespace {

std::mutex g_root_mutex;
std::wstring g_root;  // "Software\<key>\<app>"

std::wstring root()
{
    std::lock_guard<std::mutex> lock(g_root_mutex);
    return g_root;
}

std::wstring section_path(const std::wstring& section)
{
    std::wstring path = root();
    if (path.empty())
        return path;
    if (!section.empty())
        path += L"\\" + section;
    return path;
}

// Opens the section's key; creating it only for writes so that reads leave no trace.
HKEY open_section(const std::wstring& section, bool for_write)
{
    std::wstring path = section_path(section);
    if (path.empty())
        return nullptr;
    HKEY key = nullptr;
    LONG rc;
    if (for_write)
        rc = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_WRITE | KEY_READ, nullptr, &key, nullptr);
    else
        rc = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
    return rc == ERROR_SUCCESS ? key : nullptr;
}

}  // namespace

void settings_set_registry_key(const std::wstring& registry_key, const std::wstring& app_name)
{
    std::lock_guard<std::mutex> lock(g_root_mutex);
    if (registry_key.empty() || app_name.empty())
        g_root.clear();
    else
        g_root = L"Software\\" + registry_key + L"\\" + app_name;
}

std::wstring settings_root_path()
{
    return root();
}

int settings_get_int(const std::wstring& section, const std::wstring& key, int default_value)
{
    HKEY hkey = open_section(section, false);
    if (!hkey)
        return default_value;
    int result = default_value;
    DWORD type = 0;
    BYTE data[64] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    if (RegQueryValueExW(hkey, key.c_str(), nullptr, &type, data, &size) == ERROR_SUCCESS) {
        if (type == REG_DWORD && size == sizeof(DWORD)) {
            DWORD value;
            memcpy(&value, data, sizeof(value));
            result = static_cast<int>(value);
        } else if (type == REG_SZ) {
            // A value written by hand as text still counts when it is a number.
            const wchar_t* text = reinterpret_cast<const wchar_t*>(data);
            wchar_t* end = nullptr;
            long value = wcstol(text, &end, 10);
            if (end != text)
                result = static_cast<int>(value);
        }
    }
    RegCloseKey(hkey);
    return result;
}

bool settings_set_int(const std::wstring& section, const std::wstring& key, int value)
{
    HKEY hkey = open_section(section, true);
    if (!hkey)
        return false;
    DWORD data = static_cast<DWORD>(value);
    LONG rc = RegSetValueExW(hkey, key.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
    RegCloseKey(hkey);
    return rc == ERROR_SUCCESS;
}

std::wstring settings_get_string(const std::wstring& section, const std::wstring& key,
                                 const std::wstring& default_value)
{
    HKEY hkey = open_section(section, false);
    if (!hkey)
        return default_value;
    std::wstring result = default_value;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(hkey, key.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (RegQueryValueExW(hkey, key.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &bytes) ==
            ERROR_SUCCESS) {
            // The stored value need not end with a terminator; cut at the first one.
            buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
            result = buffer;
        }
    }
    RegCloseKey(hkey);
    return result;
}

bool settings_set_string(const std::wstring& section, const std::wstring& key, const std::wstring& value)
{
    HKEY hkey = open_section(section, true);
    if (!hkey)
        return false;
    LONG rc = RegSetValueExW(hkey, key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(hkey);
    return rc == ERROR_SUCCESS;
}
