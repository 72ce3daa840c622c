// The log page's rows as the report and the result summary read them, from any
// CheckRunView (the dialog's list or a console's memory).
#pragma once

#include <vector>

#include "check/diagnosis/cause_line.h"
#include "check/diagnosis/diagnosis_text.h"
#include "check/run/admin_check.h"
#include "check/run/result_text.h"
#include "common/format.h"
#include "diag/archive/save_logs.h"
#include "diag/page/report_page.h"
#include "check/run/check_run.h"
#include "check/run/check_run_view.h"
#include "diag/archive/check_report.h"

// A server item tested with an HTTP request: its HTTP statuses read as status names.
inline bool is_web_check_item(const CCheckItem* item)
{
    return item && item->kind_index >= 0 && !item->socket_test;
}

// Seven cells per row and whether the row's item is a web check.
inline std::vector<CheckReportRow> check_report_rows(CheckRunView& view, const CCheckRun& run)
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

// The report's diagnosis section: every server item that ran, with the
// category and verdict its row shows.
inline std::wstring diagnosis_section(CheckRunView& view, const CCheckRun& run)
{
    std::vector<DiagnosedItem> items;
    const int count = view.log_row_count();
    for (int r = 0; r < count; ++r) {
        std::optional<ItemDiagnosis> d = run.diagnosis_for_row(r);
        if (!d)
            continue;
        items.push_back(DiagnosedItem{view.log_cell(r, 0), view.log_cell(r, 5), std::move(*d)});
    }
    return diagnosis_report_section(items);
}

// The front page's rows: each item's cells, texts, cause, diagnosis and attempts.
inline std::vector<ReportPageItem> report_page_items(CheckRunView& view, const CCheckRun& run)
{
    std::vector<ReportPageItem> items;
    for (const CheckReportRow& row : check_report_rows(view, run)) {
        ReportPageItem item;
        item.category = row.cells[0];
        item.target = row.cells[1];
        item.port = row.cells[2];
        item.duration = row.cells[4];
        item.verdict = row.cells[5];
        item.code = row_code(row);
        if (item.code != 0) {
            item.result_text = result_text(item.code, row.web_check);
            item.hint = result_hint(item.code);
        }
        items.push_back(std::move(item));
    }
    for (int r = 0; r < static_cast<int>(items.size()); ++r) {
        const std::optional<ItemDiagnosis> d = run.diagnosis_for_row(r);
        if (!d)
            continue;
        ReportPageItem& item = items[static_cast<std::size_t>(r)];
        item.cause = d->cause;
        item.caution = caution_line(*d);
        item.diagnosis = diagnosis_block(DiagnosedItem{item.category, item.verdict, *d});
        for (const AttemptRecord& a : d->attempt_log)
            item.attempts.push_back(ReportPageAttempt{a.ms, a.code == 0});
    }
    return items;
}

inline std::wstring run_time_text(const local_time& t)
{
    if (t.year <= 1970) // never set: the run has not reached that point
        return std::wstring();
    return sortable_date_time(t);
}

// What the save needs of the run besides the rows: the report's diagnosis
// section and the front page's items, times and account.
inline void add_run_to_save(SaveLogsInput& input, CheckRunView& view, const CCheckRun& run)
{
    input.rows = check_report_rows(view, run);
    input.diagnosis_section = diagnosis_section(view, run);
    input.page_items = report_page_items(view, run);
    input.run_started = run_time_text(run.m_run_started);
    input.run_ended = run_time_text(run.m_run_ended);
    input.administrator = is_administrator_account();
}
