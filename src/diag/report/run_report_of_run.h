// A check run as its report takes it: the rows of the log page (read from a
// list, or spelled from the outcomes where a front end has none) and the
// sections built from the run's outcomes.
#pragma once

#include <vector>

#include "check/diagnosis/diagnosis_text.h"
#include "check/run/check_run.h"
#include "check/run/check_run_view.h"
#include "diag/report/run_report.h"

// The rows as a front end without a list has them: each item's cells spelled
// from its outcome, as the list would hold them.
std::vector<CheckReportRow> check_report_rows(const CCheckRun& run);

// The log page's rows as the list holds them: seven cells per row and whether
// the row's item is a web check.
std::vector<CheckReportRow> check_report_rows(CheckRunView& view, const CCheckRun& run);

// The report's diagnosis section: every server item that ran, from its outcome.
std::wstring diagnosis_section(const CCheckRun& run);

// The front page's rows: each item's texts, cause, diagnosis and attempts, from its outcome.
std::vector<ReportPageItem> report_page_items(const CCheckRun& run);

// The run's part of what the save packs: the given rows, the result texts and,
// from the outcomes, the diagnosis section, the front page's items, the run's
// times and the account.
RunReport run_report(std::vector<CheckReportRow> rows, const CCheckRun& run);
