#include "console/console_view.h"

#include "check/run/check_codes.h"
#include "check/run/check_report_rows.h"
#include "check/run/check_run.h"
#include "check/run/check_summary.h"
#include "check/run/result_text.h"
#include "common/format.h"

namespace {

const std::array<std::wstring, 7> kNoRow{};
const ConsoleItemOutcome kNoOutcome{};

std::vector<std::wstring> split_columns(const std::wstring& text)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t bar = text.find(L'|', start);
        parts.push_back(text.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start));
        if (bar == std::wstring::npos)
            return parts;
        start = bar + 1;
    }
}

} // namespace

ConsoleCheckView::ConsoleCheckView(std::function<void(const std::wstring&)> print) : m_print(std::move(print)) {}

void ConsoleCheckView::watch(CCheckRun& run, const std::atomic<bool>* stop)
{
    m_run = &run;
    for (CheckGroup& group : run.m_check_groups) {
        for (CCheckItem& item : group) {
            CheckFunction inner = item.check;
            item.check = [this, inner, stop](CCheckRun& r, CCheckParam& p) {
                bool passed = false;
                if (inner)
                    passed = inner(r, p);
                else
                    p.result_code = CHECK_NO_SERVER_INFO;
                const int row = r.m_check_groups[static_cast<size_t>(p.group)][static_cast<size_t>(p.item)].list_row;
                {
                    std::lock_guard<std::mutex> hold(m_lock);
                    if (row >= 0 && static_cast<size_t>(row) < m_outcomes.size()) {
                        m_outcomes[static_cast<size_t>(row)] = ConsoleItemOutcome{};
                        m_outcomes[static_cast<size_t>(row)].param = p;
                        m_pending = row;
                    }
                }
                // The run reads its flag right after this item; a stop asked for
                // before the run set the flag itself is not lost.
                if (stop && stop->load())
                    r.m_checking = false;
                return passed;
            };
        }
    }
}

const std::array<std::wstring, 7>& ConsoleCheckView::row(int r) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return r >= 0 && static_cast<size_t>(r) < m_rows.size() ? m_rows[static_cast<size_t>(r)] : kNoRow;
}

const ConsoleItemOutcome& ConsoleCheckView::outcome(int r) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return r >= 0 && static_cast<size_t>(r) < m_outcomes.size() ? m_outcomes[static_cast<size_t>(r)] : kNoOutcome;
}

int ConsoleCheckView::failed_count()
{
    int n = 0;
    for (int r : collect_failed_rows(*this))
        n += log_cell(r, LOG_COL_RESULT) == L"Fail" ? 1 : 0;
    return n;
}

int ConsoleCheckView::unstable_count()
{
    return static_cast<int>(collect_failed_rows(*this).size()) - failed_count();
}

std::wstring ConsoleCheckView::item_line(const std::wstring& title, const std::array<std::wstring, 7>& cells,
                                         std::int32_t code, const std::wstring& code_text)
{
    std::wstring target = cells[LOG_COL_HOST];
    if (!cells[LOG_COL_PORT].empty())
        target += L":" + cells[LOG_COL_PORT];
    std::wstring line = format_text(L"%-10s  %s  %s  %s", cells[LOG_COL_RESULT].c_str(), title.c_str(),
                                    target.c_str(), cells[LOG_COL_DURATION].c_str());
    if (code != 0)
        line += format_text(L"  error %d  %s", static_cast<int>(code), code_text.c_str());
    while (!line.empty() && line.back() == L' ')
        line.pop_back();
    return line;
}

std::wstring ConsoleCheckView::summary_line()
{
    const int total = log_row_count();
    if (!m_completed) {
        int ran = 0;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            for (const ConsoleItemOutcome& o : m_outcomes)
                ran += o.finished ? 1 : 0;
        }
        return format_text(L"사용자에 의해 진단이 취소되었습니다. 전체 %d 중 %d 항목 진단", total, ran);
    }
    const int failed = failed_count();
    const int unstable = unstable_count();
    std::wstring line = format_text(L"모든 체크가 완료되었습니다. 전체 %d, 실패 %d, 불안정 %d", total, failed, unstable);
    if (failed + unstable == 0)
        line += L" - 진단 실패 항목이 없습니다.";
    return line;
}

void ConsoleCheckView::clear_log_rows()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_rows.clear();
    m_outcomes.clear();
    m_pending = -1;
}

int ConsoleCheckView::add_log_row(const std::wstring& columns)
{
    std::lock_guard<std::mutex> hold(m_lock);
    std::array<std::wstring, 7> cells;
    const std::vector<std::wstring> parts = split_columns(columns);
    for (size_t c = 0; c < parts.size() && c < cells.size(); ++c)
        cells[c] = parts[c];
    m_rows.push_back(std::move(cells));
    m_outcomes.emplace_back();
    return static_cast<int>(m_rows.size()) - 1;
}

int ConsoleCheckView::log_row_count()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return static_cast<int>(m_rows.size());
}

std::wstring ConsoleCheckView::log_cell(int row, int column)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size() || column < 0 || column >= 7)
        return std::wstring();
    return m_rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

void ConsoleCheckView::set_log_cell(int row, int column, const std::wstring& text)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size() || column < 0 || column >= 7)
        return;
    m_rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
}

void ConsoleCheckView::set_current_step(int)
{
    // The run moves the step list on only after the last item's cells are all
    // written: that item is complete and can be printed.
    flush_pending();
}

void ConsoleCheckView::post_check_finished(bool completed, int)
{
    flush_pending();
    m_completed = completed;
    m_finished = true;
}

void ConsoleCheckView::flush_pending()
{
    std::wstring line;
    int row = -1;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_pending < 0)
            return;
        const size_t r = static_cast<size_t>(m_pending);
        row = m_pending;
        m_pending = -1;
        ConsoleItemOutcome& o = m_outcomes[r];
        const std::array<std::wstring, 7>& cells = m_rows[r];
        o.finished = true;
        o.verdict = cells[LOG_COL_RESULT];
        o.duration = cells[LOG_COL_DURATION];
        CheckReportRow report_row;
        report_row.cells = cells;
        o.code = row_code(report_row);
        const CCheckItem* item = m_run ? m_run->find_item_by_row(static_cast<int>(r)) : nullptr;
        o.web_check = is_web_check_item(item);
        o.title = item ? item->title : cells[LOG_COL_KIND];
        line = item_line(o.title, cells, o.code, o.code != 0 ? result_text(o.code, o.web_check) : std::wstring());
    }
    // Why a failed or unstable item failed, or what a passed one tolerated, on
    // the line under it.
    const std::wstring cause = m_run ? m_run->cause_for_row(row) : std::wstring();
    const std::wstring caution = m_run ? m_run->caution_for_row(row) : std::wstring();
    if (m_print) {
        m_print(line);
        if (!cause.empty())
            m_print(cause_line_text(cause));
        if (!caution.empty())
            m_print(L"            주의: " + caution);
    }
}

std::wstring ConsoleCheckView::cause_line_text(const std::wstring& cause)
{
    return L"            원인: " + cause;
}
