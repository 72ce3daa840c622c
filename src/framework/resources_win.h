// Reading our own resources: strings, the version block.
#pragma once

#include <windows.h>

#include <string>

// String resource of this executable; empty when missing.
std::wstring load_string(UINT id);
// A value of the executable's version block ("FileVersion"...); empty when missing.
std::wstring version_value(const std::wstring& name, const std::wstring& path = std::wstring());
// Raw bytes of a custom resource ("GIF", "PNG"); null and 0 when missing.
const void* resource_bytes(const wchar_t* type, UINT id, DWORD* size);
