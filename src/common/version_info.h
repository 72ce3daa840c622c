// Strings of a file's version resource.
#pragma once

#include <string>

// key: "FileVersion", "ProductVersion", "FileDescription" ... read with the first
// language and code page of the resource. Empty path = the running executable.
// Empty when there is no version resource or no such key (always, outside Windows).
std::wstring get_version_string(const std::wstring& path, const std::wstring& key = L"FileVersion");
