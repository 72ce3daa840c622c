#include "diag/collect/hosts_file.h"

#include "common/hosts_file_path.h"

#include "common/file_utils.h"
#include "common/text_file.h"

std::wstring hosts_file_path()
{
    // The same file the diagnosis of the server checks reads.
    return system_hosts_file_path();
}

std::wstring read_hosts_file()
{
    std::wstring path = hosts_file_path();
    if (!file_exists(path))
        return std::wstring();
    return read_text_file(path);
}
