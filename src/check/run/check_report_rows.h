// The log page's rows as the report and the result summary read them, from any
// CheckRunView (the dialog's list or a console's memory).
#pragma once

#include <vector>

#include "check/diagnosis/diagnosis_text.h"
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
