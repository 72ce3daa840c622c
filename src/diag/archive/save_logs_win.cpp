// Where the log saving works on Windows.
#include "diag/archive/save_logs.h"

#include "common/system_figures_win.h"

#include <windows.h>
#include <shlobj.h>

std::wstring default_work_folder()
{
    const std::wstring local = special_folder_path(CSIDL_LOCAL_APPDATA);
    if (local.empty())
        return std::wstring();
    return local + L"\\Temp";
}

unsigned system_ansi_code_page()
{
    return GetACP();
}
