#include "diag/collect/hosts_file.h"

#include "common/file_utils.h"
#include "common/system_figures_win.h"
#include "common/text_file.h"

#include <shlobj.h>

std::wstring hosts_file_path()
{
    return special_folder_path(CSIDL_SYSTEM) + L"\\drivers\\etc\\hosts";
}

std::wstring read_hosts_file()
{
    std::wstring path = hosts_file_path();
    if (!file_exists(path))
        return std::wstring();
    return read_text_file(path);
}
