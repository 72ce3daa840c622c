// The connection's auto-configuration script asked which proxy serves a URL,
// with WinHTTP's documented automatic-proxy call, bounded by a thread of our
// own: a script that loops, is huge or never arrives costs at most the bound.
#pragma once

#include <cstdint>
#include <string>

#include "check/diagnosis/item_diagnosis.h"

inline constexpr std::int32_t kPacBoundMs = 5000;

struct PacAnswer
{
    PacOutcome outcome = PacOutcome::not_done;
    std::wstring proxies; // the script's proxy list when it chose one
    std::int32_t error = 0;
};

// Windows only; elsewhere not_done.
PacAnswer evaluate_pac(const std::wstring& script_url, const std::wstring& url, std::int32_t bound_ms = kPacBoundMs);
