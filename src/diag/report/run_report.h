// What the report, the front page and the manifest take from a check run: the
// log page's rows (for the report's described sections and the result page),
// and beside them, from the run's outcomes, the diagnosis section, the front
// page's items, the run's times and the account.
#pragma once

#include "diag/page/report_page.h"
#include "diag/report/check_report.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct RunReport
{
    std::vector<CheckReportRow> rows;
    // Text of a result code (code, web check).
    std::function<std::wstring(std::int32_t, bool)> result_text;
    // The report's last section: every server item's diagnosis.
    std::wstring diagnosis_section;
    // One entry per check item, for the front page and the manifest.
    std::vector<ReportPageItem> page_items;
    std::wstring run_started;
    std::wstring run_ended;
    bool administrator = false;
};
