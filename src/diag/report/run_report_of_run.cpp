#include "diag/report/run_report_of_run.h"

#include "check/diagnosis/cause_line.h"
#include "check/run/admin_check.h"
#include "check/run/result_text.h"

#include <array>

namespace {

// Where a diagnosed item's block stands in the report: failed ones first.
DiagnosisOrder diagnosis_order(const ItemOutcome& o)
{
    if (shows_failed(o))
        return DiagnosisOrder::failed;
    return o.verdict == ItemVerdict::unstable ? DiagnosisOrder::unstable : DiagnosisOrder::other;
}

std::wstring run_time_text(const local_time& t)
{
    if (t.year <= 1970) // never set: the run has not reached that point
        return std::wstring();
    return sortable_date_time(t);
}

} // namespace

std::vector<CheckReportRow> check_report_rows(const CCheckRun& run)
{
    std::vector<CheckReportRow> rows;
    for (std::size_t g = 0; g < run.m_check_groups.size(); ++g) {
        for (std::size_t i = 0; i < run.m_check_groups[g].size(); ++i) {
            const CCheckItem& item = run.m_check_groups[g][i];
            CheckReportRow row;
            row.cells = log_row_cells(item, run.outcome(static_cast<int>(g), static_cast<int>(i)));
            row.web_check = is_web_check_item(&item);
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

std::vector<CheckReportRow> check_report_rows(CheckRunView& view, const CCheckRun& run)
{
    std::vector<CheckReportRow> rows;
    const int count = view.log_row_count();
    rows.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int r = 0; r < count; ++r) {
        CheckReportRow row;
        for (int c = 0; c < 7; ++c)
            row.cells[static_cast<size_t>(c)] = view.log_cell(r, c);
        row.web_check = is_web_check_item(run.find_item_by_row(r));
        rows.push_back(std::move(row));
    }
    return rows;
}


std::wstring diagnosis_section(const CCheckRun& run)
{
    std::vector<DiagnosedItem> items;
    for (std::size_t g = 0; g < run.m_check_groups.size(); ++g) {
        for (std::size_t i = 0; i < run.m_check_groups[g].size(); ++i) {
            ItemOutcome o = run.outcome(static_cast<int>(g), static_cast<int>(i));
            if (!o.diagnosis)
                continue;
            items.push_back(DiagnosedItem{log_row_heading(run.m_check_groups[g][i])[0], log_row_result(o).verdict,
                                          diagnosis_order(o), std::move(*o.diagnosis), tally_of(o)});
        }
    }
    return diagnosis_report_section(items);
}

std::vector<ReportPageItem> report_page_items(const CCheckRun& run)
{
    std::vector<ReportPageItem> items;
    for (std::size_t g = 0; g < run.m_check_groups.size(); ++g) {
        for (std::size_t i = 0; i < run.m_check_groups[g].size(); ++i) {
            const CCheckItem& check_item = run.m_check_groups[g][i];
            const ItemOutcome o = run.outcome(static_cast<int>(g), static_cast<int>(i));
            const std::array<std::wstring, 3> heading = log_row_heading(check_item);
            const LogRowResult shown = log_row_result(o);
            ReportPageItem item;
            item.category = heading[0];
            item.target = heading[1];
            item.port = heading[2];
            item.duration = shown.duration;
            item.verdict = shown.verdict;
            item.kind = o.verdict;
            item.code = o.code;
            if (item.code != 0) {
                item.result_text = result_text(item.code, is_web_check_item(&check_item));
                item.hint = result_hint(item.code);
            }
            if (o.diagnosis) {
                item.cause = o.diagnosis->cause;
                item.caution = caution_line(*o.diagnosis);
                item.diagnosis = diagnosis_block(
                    DiagnosedItem{item.category, item.verdict, diagnosis_order(o), *o.diagnosis, tally_of(o)});
            }
            for (const AttemptRecord& a : o.attempt_log)
                item.attempts.push_back(ReportPageAttempt{a.ms, a.code == 0});
            items.push_back(std::move(item));
        }
    }
    return items;
}


RunReport run_report(std::vector<CheckReportRow> rows, const CCheckRun& run)
{
    RunReport report;
    report.rows = std::move(rows);
    report.result_text = [](std::int32_t code, bool web) { return result_text(code, web); };
    report.diagnosis_section = diagnosis_section(run);
    report.page_items = report_page_items(run);
    report.run_started = run_time_text(run.m_run_started);
    report.run_ended = run_time_text(run.m_run_ended);
    report.administrator = is_administrator_account();
    return report;
}
