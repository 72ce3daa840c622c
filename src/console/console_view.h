// The check run on a console: the log page's rows are kept in memory and every
// item is printed as one line when it finishes, instead of being drawn.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "check/run/check_param.h"
#include "check/run/check_run_view.h"

class CCheckRun;

// What one item showed when it finished (before a stop may rewrite its row).
struct ConsoleItemOutcome
{
    bool finished = false;
    CCheckParam param{-1, -1}; // as the check function left it
    std::wstring verdict;      // "Ok", "Ok (2/3)", "Fail"
    std::wstring duration;     // "35ms"
    std::int32_t code = 0;     // the row's code: the failure, or the last failed attempt
    std::wstring title;        // the item's title
    bool web_check = false;    // tested with an HTTP request
};

class ConsoleCheckView : public QuietCheckRunView
{
public:
    // `print` receives each finished item's line and the summary line.
    explicit ConsoleCheckView(std::function<void(const std::wstring&)> print);

    // Wraps every item's check function so that its record is kept and so that a
    // stop requested through `stop` (Ctrl+C) is seen after the item, even when it
    // came before the run had begun. Call after init_check_list.
    void watch(CCheckRun& run, const std::atomic<bool>* stop);

    // The row's cells as the run left them.
    const std::array<std::wstring, 7>& row(int r) const;
    const ConsoleItemOutcome& outcome(int r) const;
    bool finished() const { return m_finished; }
    bool completed() const { return m_completed; }
    // Rows whose verdict is "Fail" and rows whose verdict begins with "Ok (".
    int failed_count();
    int unstable_count();

    // The line printed for a finished item, and the summary line.
    static std::wstring item_line(const std::wstring& title, const std::array<std::wstring, 7>& cells,
                                  std::int32_t code, const std::wstring& code_text);
    std::wstring summary_line();
    // The line printed under a failed or unstable item: its cause.
    static std::wstring cause_line_text(const std::wstring& cause);

    // CheckRunView: the log page's rows are kept; the rest has nothing to show.
    void set_current_step(int line) override;
    void clear_log_rows() override;
    int add_log_row(const std::wstring& columns) override;
    int log_row_count() override;
    std::wstring log_cell(int row, int column) override;
    void set_log_cell(int row, int column, const std::wstring& text) override;
    void post_check_finished(bool completed, int failed_items) override;

private:
    // Prints the item whose check has returned, once the run has written its cells.
    void flush_pending();

    std::function<void(const std::wstring&)> m_print;
    CCheckRun* m_run = nullptr;
    mutable std::mutex m_lock;
    std::vector<std::array<std::wstring, 7>> m_rows;
    std::vector<ConsoleItemOutcome> m_outcomes;
    int m_pending = -1; // row whose check returned and that is not printed yet
    bool m_finished = false;
    bool m_completed = false;
};
