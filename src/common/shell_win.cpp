#include "common/shell_win.h"

#include "common/file_utils.h"

#include <windows.h>
#include <shellapi.h>

bool show_in_explorer(const std::wstring& file_path)
{
    if (!file_exists(file_path)) {
        return false;
    }
    const std::wstring arguments = L"/select,\"" + file_path + L"\"";
    const auto rc = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", L"explorer.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL));
    return rc > 32;
}
