// The check run on a console: every item is printed as one line when it
// finishes, from its outcome, instead of being drawn; the run's rows are not
// kept, as nothing here reads them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "check/run/check_run_view.h"
#include "check/run/item_outcome.h"

class CCheckRun;

class ConsoleCheckView : public QuietCheckRunView
{
public:
    // `print` receives each finished item's line and the summary line.
    explicit ConsoleCheckView(std::function<void(const std::wstring&)> print);

    // The run whose items are printed, and a stop request (Ctrl+C) that is to
    // end the run after the item under way, even when it came before the run
    // had begun. Call after init_check_list.
    void watch(CCheckRun& run, const std::atomic<bool>* stop);

    // What each item printed when it finished (before a stop may turn the
    // run's record of it into "stopped"), by the item's place in the list:
    // not run for the items the run never reached.
    ItemOutcome outcome(int group, int item) const;
    bool finished() const { return m_finished; }
    bool completed() const { return m_completed; }
    // Items that show "Fail" in the run's record, and items that were unstable.
    int failed_count() const;
    int unstable_count() const;

    // The line printed for a finished item, and the summary line.
    static std::wstring item_line(const CCheckItem& item, const ItemOutcome& outcome, const std::wstring& code_text);
    std::wstring summary_line() const;
    // The line printed under a failed or unstable item: its cause.
    static std::wstring cause_line_text(const std::wstring& cause);

    // CheckRunView: rows are counted, never read back.
    int add_log_row(const std::wstring& columns) override;
    void clear_log_rows() override;
    int log_row_count() override;
    void item_finished(const CCheckItem& item, const ItemOutcome& outcome) override;
    void post_check_finished(bool completed, int failed_items) override;

private:
    std::function<void(const std::wstring&)> m_print;
    CCheckRun* m_run = nullptr;
    const std::atomic<bool>* m_stop = nullptr;
    mutable std::mutex m_lock;
    int m_rows = 0;
    // By the item's place in the list (group, item), as finished.
    std::vector<std::vector<ItemOutcome>> m_finished_items;
    bool m_finished = false;
    bool m_completed = false;
};
