#include "console/console_view.h"

#include "check/diagnosis/cause_line.h"
#include "check/run/check_run.h"
#include "check/run/result_text.h"
#include "common/format.h"

ConsoleCheckView::ConsoleCheckView(std::function<void(const std::wstring&)> print) : m_print(std::move(print)) {}

void ConsoleCheckView::watch(CCheckRun& run, const std::atomic<bool>* stop)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_run = &run;
    m_stop = stop;
    m_finished_items.assign(run.m_check_groups.size(), {});
    for (size_t g = 0; g < run.m_check_groups.size(); ++g)
        m_finished_items[g].assign(run.m_check_groups[g].size(), ItemOutcome{});
}

ItemOutcome ConsoleCheckView::outcome(int group, int item) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (group < 0 || item < 0 || static_cast<size_t>(group) >= m_finished_items.size() ||
        static_cast<size_t>(item) >= m_finished_items[static_cast<size_t>(group)].size())
        return ItemOutcome{};
    return m_finished_items[static_cast<size_t>(group)][static_cast<size_t>(item)];
}

int ConsoleCheckView::failed_count() const
{
    int n = 0;
    if (m_run)
        for (size_t g = 0; g < m_run->m_check_groups.size(); ++g)
            for (size_t i = 0; i < m_run->m_check_groups[g].size(); ++i)
                n += shows_failed(m_run->outcome(static_cast<int>(g), static_cast<int>(i))) ? 1 : 0;
    return n;
}

int ConsoleCheckView::unstable_count() const
{
    int n = 0;
    if (m_run)
        for (size_t g = 0; g < m_run->m_check_groups.size(); ++g)
            for (size_t i = 0; i < m_run->m_check_groups[g].size(); ++i)
                n += m_run->outcome(static_cast<int>(g), static_cast<int>(i)).verdict == ItemVerdict::unstable;
    return n;
}

std::wstring ConsoleCheckView::item_line(const CCheckItem& item, const ItemOutcome& outcome,
                                         const std::wstring& code_text)
{
    const std::array<std::wstring, 7> cells = log_row_cells(item, outcome);
    std::wstring target = cells[LOG_COL_HOST];
    if (!cells[LOG_COL_PORT].empty())
        target += L":" + cells[LOG_COL_PORT];
    std::wstring line = format_text(L"%-10s  %s  %s  %s", cells[LOG_COL_RESULT].c_str(), item.title.c_str(),
                                    target.c_str(), cells[LOG_COL_DURATION].c_str());
    if (outcome.code != 0)
        line += format_text(L"  error %d  %s", static_cast<int>(outcome.code), code_text.c_str());
    while (!line.empty() && line.back() == L' ')
        line.pop_back();
    return line;
}

std::wstring ConsoleCheckView::summary_line() const
{
    int total = 0, ran = 0;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        total = m_rows;
        for (const std::vector<ItemOutcome>& group : m_finished_items)
            for (const ItemOutcome& o : group)
                ran += o.verdict != ItemVerdict::not_run ? 1 : 0;
    }
    if (!m_completed)
        return format_text(L"사용자에 의해 진단이 취소되었습니다. 전체 %d 중 %d 항목 진단", total, ran);
    const int failed = failed_count();
    const int unstable = unstable_count();
    std::wstring line = format_text(L"모든 체크가 완료되었습니다. 전체 %d, 실패 %d, 불안정 %d", total, failed, unstable);
    if (failed + unstable == 0)
        line += L" - 진단 실패 항목이 없습니다.";
    return line;
}

int ConsoleCheckView::add_log_row(const std::wstring&)
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_rows++;
}

void ConsoleCheckView::clear_log_rows()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_rows = 0;
}

int ConsoleCheckView::log_row_count()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_rows;
}

void ConsoleCheckView::item_finished(const CCheckItem& item, const ItemOutcome& outcome)
{
    if (!m_run)
        return;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        for (size_t g = 0; g < m_run->m_check_groups.size() && g < m_finished_items.size(); ++g)
            for (size_t i = 0; i < m_run->m_check_groups[g].size() && i < m_finished_items[g].size(); ++i)
                if (&m_run->m_check_groups[g][i] == &item)
                    m_finished_items[g][i] = outcome;
    }
    const bool web = is_web_check_item(&item);
    const std::wstring line = item_line(item, outcome, outcome.code != 0 ? result_text(outcome.code, web) : L"");
    // Why a failed or unstable item failed, or what a passed one tolerated, on
    // the line under it.
    const std::wstring cause = outcome.diagnosis ? outcome.diagnosis->cause : std::wstring();
    const std::wstring caution = outcome.diagnosis ? caution_line(*outcome.diagnosis) : std::wstring();
    if (m_print) {
        m_print(line);
        if (!cause.empty())
            m_print(cause_line_text(cause));
        if (!caution.empty())
            m_print(L"            주의: " + caution);
    }
    // The run reads its flag right after this item; a stop asked for before
    // the run set the flag itself is not lost.
    if (m_stop && m_stop->load())
        m_run->m_checking = false;
}

void ConsoleCheckView::post_check_finished(bool completed, int)
{
    m_completed = completed;
    m_finished = true;
}

std::wstring ConsoleCheckView::cause_line_text(const std::wstring& cause)
{
    return L"            원인: " + cause;
}
