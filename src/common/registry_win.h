// Registry values with type checks: the status is ERROR_SUCCESS, the system's
// status for a missing key or value, or 1804 (ERROR_INVALID_DATATYPE) for a value
// of the wrong type. The caller's value changes only on success.
#pragma once

#include <windows.h>

#include <string>

LONG read_registry_dword(HKEY root, const std::wstring& sub_key, const std::wstring& value_name, DWORD& value);
// REG_SZ or REG_EXPAND_SZ (environment references expanded).
LONG read_registry_string(HKEY root, const std::wstring& sub_key, const std::wstring& value_name,
                          std::wstring& value);
