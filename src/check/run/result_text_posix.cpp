#include "check/run/result_text.h"

std::wstring system_error_text(std::int32_t)
{
    // The codes are Windows error codes; this tree has no message table for them.
    return {};
}
