#include "check/run/check_summary.h"

std::vector<int> collect_failed_rows(CheckRunView& view)
{
    std::vector<int> rows;
    const int count = view.log_row_count();
    for (int row = 0; row < count; ++row) {
        const std::wstring verdict = view.log_cell(row, LOG_COL_RESULT);
        if (verdict == L"Fail" || verdict.starts_with(L"Ok ("))
            rows.push_back(row);
    }
    return rows;
}
