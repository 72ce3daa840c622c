#include "check/diagnosis/run_diagnosis.h"

std::wstring system_hosts_file_path()
{
    return L"/etc/hosts";
}
