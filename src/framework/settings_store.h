// Per-user settings of the application, kept in the registry under
// HKEY_CURRENT_USER\Software\<registry key>\<application name>\<section>.
// Sections may contain "\" to name nested keys ("list result\column width").
// Integers are stored as REG_DWORD, strings as REG_SZ. Reads fall back to the
// caller's default when the key, the value or the registry key name is missing.
#pragma once

#include <string>

// Names the root of the store: HKCU\Software\<registry_key>\<app_name>.
// Until it is called every read returns its default and every write fails.
void settings_set_registry_key(const std::wstring& registry_key, const std::wstring& app_name);

// The full key path below HKCU ("Software\Vantu\App"), empty when not set.
std::wstring settings_root_path();

int settings_get_int(const std::wstring& section, const std::wstring& key, int default_value);
bool settings_set_int(const std::wstring& section, const std::wstring& key, int value);

std::wstring settings_get_string(const std::wstring& section, const std::wstring& key,
                                 const std::wstring& default_value = std::wstring());
bool settings_set_string(const std::wstring& section, const std::wstring& key, const std::wstring& value);
