#include "steps/save_input.h"

#include "diag/archive/product_identity.h"
#include "diag/report/run_report_of_run.h"
#include "steps/redaction_request.h"

SaveLogsInput save_input_of(const CCheckRun& run, std::vector<CheckReportRow> rows)
{
    SaveLogsInput input;
    input.product_name = kProductName;
    input.product_paths = run.m_product_paths;
    input.log_paths = run.m_log_paths;
    input.product_processes = product_processes();
    input.set_run(run_report(std::move(rows), run));
    input.redact = redaction_requested();
    return input;
}
