#include "diag/collect/command_output.h"

#include <windows.h>

#include <climits>

static std::wstring oem_to_wide(std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX))
        return std::wstring();
    int length = static_cast<int>(bytes.size());
    int needed = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(needed), L'\0');
    int written = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), length, text.data(), needed);
    text.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return text;
}

std::wstring decode_command_output(std::string_view bytes)
{
    return decode_command_output(bytes, oem_to_wide);
}
