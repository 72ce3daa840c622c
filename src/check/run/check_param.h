// The record through which a check function reports on one item of one run.
#pragma once

#include <cstdint>
#include <string>

struct CCheckParam
{
    CCheckParam(std::int32_t group_index, std::int32_t item_index) : group(group_index), item(item_index) {}

    std::int32_t group;
    std::int32_t item;
    std::int32_t retry_count = 3;
    std::int32_t total_ms = 0;
    std::int32_t result_code = 0;    // 0 success, else a check code, HTTP status or error code
    std::wstring message;            // text of the last failure the check recorded
    std::int32_t success_count = 0;
    std::int32_t attempt_count = 0;
    std::int32_t longest_ms = 0;
    std::int32_t last_failure = 0;
};
