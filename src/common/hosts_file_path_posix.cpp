#include "common/hosts_file_path.h"

std::wstring system_hosts_file_path()
{
    return L"/etc/hosts";
}
