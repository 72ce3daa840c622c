#include "common/hosts_file_path.h"

#include <windows.h>

std::wstring system_hosts_file_path()
{
    // The Windows folder of the system (%SystemRoot%), as the resolver reads it.
    wchar_t folder[MAX_PATH] = {};
    const UINT n = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return L"C:\\Windows\\System32\\drivers\\etc\\hosts";
    return std::wstring(folder, n) + L"\\System32\\drivers\\etc\\hosts";
}
