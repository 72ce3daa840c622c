// What both front ends hand the save after a run: the product, the folders the
// check list named, the product's processes and the run's report.
#pragma once

#include "check/run/check_run.h"
#include "diag/archive/save_logs.h"

#include <vector>

// `rows`: the log page's rows (the dialog reads its list; the console, which
// has none, spells them from the outcomes with check_report_rows(run)).
SaveLogsInput save_input_of(const CCheckRun& run, std::vector<CheckReportRow> rows);
