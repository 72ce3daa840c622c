// Saving the logs and the result page's summary, from the log page's rows.
#include "app/marlo_check_tool_dlg_win.h"

#include "check/run/result_text.h"
#include "common/gdi_owners_win.h"  // ComInitialisation
#include "common/shell_win.h"
#include "diag/archive/save_logs.h"
#include "diag/report/result_summary.h"
#include "diag/report/run_report_of_run.h"
#include "steps/save_input.h"

#include <functional>

namespace {

// The dialog's side of a save: wait window, owner window, messages, Explorer.
class DialogSaveHost : public SaveLogsHost {
public:
    DialogSaveHost(HWND owner, CSCProgressDlg& wait, std::function<void(const std::wstring&)> show,
                   std::future<void>& diag, const DiagTexts& texts)
        : m_owner(owner), m_wait(wait), m_show(std::move(show)), m_diag(diag), m_texts(texts)
    {
    }
    void set_owner_enabled(bool enabled) override { EnableWindow(m_owner, enabled); }
    const DiagTexts& wait_for_diagnostics() override
    {
        if (m_diag.valid())
            m_diag.wait();
        return m_texts;
    }
    void step() override { m_wait.step(); }
    void reset_and_hide() override
    {
        m_wait.set_pos(0);
        m_wait.show_window(false);
    }
    void show_message(const std::wstring& text) override { m_show(text); }
    bool show_archive(const std::wstring& archive_path) override { return show_in_explorer(archive_path); }

private:
    HWND m_owner;
    CSCProgressDlg& m_wait;
    std::function<void(const std::wstring&)> m_show;
    std::future<void>& m_diag;
    const DiagTexts& m_texts;
};

} // namespace

void CMarloCheckToolDlg::save_logs()
{
    ComInitialisation com;  // the shell calls of the save
    // The rows the report reads are the log page's, as its list holds them.
    SaveLogsInput input = save_input_of(m_run, check_report_rows(*this, m_run));
    input.service_name = m_service_name;
    m_progress_dlg.set_range(0, kSaveLogsSteps);
    m_progress_dlg.set_pos(0);
    m_progress_dlg.set_hide_at_end(true);
    DialogSaveHost host(
        m_hwnd, m_progress_dlg, [this](const std::wstring& text) { show_over_wait_window(text); }, m_diag_future, m_diag_texts);
    ::save_logs(input, host);
}

int CMarloCheckToolDlg::show_over_wait_window(const std::wstring& text)
{
    int answer = -1;
    // On the window's thread, so that the wait window is looked at and moved
    // there too; the caller (the save, the diagnostics) waits for the answer.
    run_on_window_thread([&] {
        const bool waiting = m_progress_dlg.hwnd() && IsWindowVisible(m_progress_dlg.hwnd());
        if (waiting)
            m_progress_dlg.show_window(false);
        answer = m_message_box.show(text, MB_OK);
        if (waiting)
            m_progress_dlg.show_window(true);
    });
    return answer;
}

void CMarloCheckToolDlg::fill_result_page()
{
    std::vector<CheckReportRow> rows = check_report_rows(*this, m_run);
    std::vector<ResultSummaryRow> summary = build_result_summary(
        rows, [](std::int32_t code, bool web) { return result_text(code, web); },
        [](std::int32_t code) { return result_hint(code); });
    CSCListCtrl& list = m_result_page.m_list;
    list.begin_fill();
    list.clear();
    for (const ResultSummaryRow& row : summary) {
        // Cells are set one by one: a "|" inside a text must not shift the columns.
        int index = list.add_row_from_text(-1, L"");
        list.set_cell_text(index, 0, row.status, false);
        list.set_cell_text(index, 1, row.category, false);
        list.set_cell_text(index, 2, row.content, false);
        // The whole row takes the status colour, so a failure reads across all three columns.
        list.set_row_colour(index, row.colour);
    }
    list.end_fill();
}
