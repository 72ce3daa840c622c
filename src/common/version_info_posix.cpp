// Executables outside Windows carry no version resource.
#include "common/version_info.h"

std::wstring get_version_string(const std::wstring&, const std::wstring&)
{
    return std::wstring();
}
