// The result page's rows after a check run: the failed and unstable items with
// their code, its text and a hint on what to do.
#pragma once

#include "diag/report/check_report.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ResultSummaryRow
{
    std::wstring status;   // "실패" or "불안정 (2/3)"
    std::wstring category;
    std::wstring content;  // "target (code text) hint"
    std::uint32_t colour = 0;
};

std::vector<ResultSummaryRow> build_result_summary(const std::vector<CheckReportRow>& rows,
                                                   const std::function<std::wstring(std::int32_t, bool)>& result_text,
                                                   const std::function<std::wstring(std::int32_t)>& result_hint);
