#include "diag/report/result_summary.h"

#include "common/format.h"
#include "common/item_verdict.h"

std::vector<ResultSummaryRow> build_result_summary(const std::vector<CheckReportRow>& rows,
                                                   const std::function<std::wstring(std::int32_t, bool)>& result_text,
                                                   const std::function<std::wstring(std::int32_t)>& result_hint)
{
    std::vector<ResultSummaryRow> out;
    for (std::size_t r : collect_failed_rows(rows)) {
        const CheckReportRow& row = rows[r];
        ResultSummaryRow s;
        const std::wstring& verdict = row.cells[5];
        if (verdict.rfind(L"Ok (", 0) == 0) {
            s.status = L"불안정 " + verdict.substr(3);
            s.colour = *verdict_colours(ItemVerdict::unstable).summary;
        } else {
            s.status = L"실패";
            s.colour = *verdict_colours(ItemVerdict::failed).summary;
        }
        s.category = row.cells[0];
        std::wstring target = row.cells[1];
        if (!row.cells[2].empty())
            target += L":" + row.cells[2];
        const std::int32_t code = code_column(row);
        const std::wstring text = result_text ? result_text(code, row.web_check) : std::wstring();
        const std::wstring hint = result_hint ? result_hint(code) : std::wstring();
        // The three columns are built directly rather than joined with "|" and split
        // again, so a "|" inside a cell cannot shift the columns.
        s.content = format_text(L"%s (%d %s) %s", target.c_str(), static_cast<int>(code), text.c_str(), hint.c_str());
        out.push_back(std::move(s));
    }
    return out;
}
