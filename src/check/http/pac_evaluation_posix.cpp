#include "check/http/pac_evaluation.h"

// No WinHTTP here: no script is asked.
PacAnswer evaluate_pac(const std::wstring&, const std::wstring&, std::int32_t)
{
    return PacAnswer();
}
