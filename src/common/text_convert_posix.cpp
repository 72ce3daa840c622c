// Outside Windows the system's narrow encoding is UTF-8.
#include "common/text_convert.h"

std::wstring from_system_narrow(std::string_view text)
{
    return from_utf8(text);
}

std::string to_system_narrow(std::wstring_view text)
{
    return to_utf8(text);
}
