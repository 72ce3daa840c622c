// Saving the logs and the result page's summary, from the log page's rows.
#include "app/marlo_check_tool_dlg_win.h"

#include "check/run/result_text.h"
#include "diag/archive/result_summary.h"
#include "diag/archive/save_logs.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

std::vector<CheckReportRow> report_rows(CSCListCtrl& list, const CCheckRun& run)
{
    std::vector<CheckReportRow> rows;
    int count = list.row_count();
    rows.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int r = 0; r < count; ++r) {
        CheckReportRow row;
        for (int c = 0; c < 7; ++c)
            row.cells[static_cast<size_t>(c)] = list.cell_text(r, c);
        const CCheckItem* item = run.find_item_by_row(r);
        row.web_check = item && item->kind_index >= 0 && !item->socket_test;
        rows.push_back(std::move(row));
    }
    return rows;
}

// The dialog's side of a save: wait window, owner window, messages, Explorer.
class DialogSaveHost : public SaveLogsHost {
public:
    DialogSaveHost(HWND owner, CSCProgressDlg& wait, CSCMessageBox& box, std::future<void>& diag, const DiagTexts& texts)
        : m_owner(owner), m_wait(wait), m_box(box), m_diag(diag), m_texts(texts)
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
    void show_message(const std::wstring& text) override { m_box.show(text, MB_OK); }
    bool show_archive(const std::wstring& archive_path) override
    {
        PIDLIST_ABSOLUTE item = ILCreateFromPathW(archive_path.c_str());
        if (!item)
            return false;
        HRESULT hr = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        ILFree(item);
        if (SUCCEEDED(hr))
            return true;
        std::wstring args = L"/select,\"" + archive_path + L"\"";
        return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", L"explorer.exe", args.c_str(), nullptr,
                                                       SW_SHOWNORMAL)) > 32;
    }

private:
    HWND m_owner;
    CSCProgressDlg& m_wait;
    CSCMessageBox& m_box;
    std::future<void>& m_diag;
    const DiagTexts& m_texts;
};

} // namespace

void CMarloCheckToolDlg::save_logs()
{
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    SaveLogsInput input;
    input.product_name = m_product_name;
    input.product_paths = m_run.m_product_paths;
    input.log_paths = m_run.m_log_paths;
    input.product_processes = m_product_processes;
    input.service_name = m_service_name;
    input.rows = report_rows(m_log_page.m_list, m_run);
    input.result_text = [](std::int32_t code, bool web) { return result_text(code, web); };
    m_progress_dlg.set_range(0, kSaveLogsSteps);
    m_progress_dlg.set_pos(0);
    m_progress_dlg.set_hide_at_end(true);
    DialogSaveHost host(m_hwnd, m_progress_dlg, m_message_box, m_diag_future, m_diag_texts);
    ::save_logs(input, host);
    if (SUCCEEDED(com))
        CoUninitialize();
}

void CMarloCheckToolDlg::fill_result_page()
{
    std::vector<CheckReportRow> rows = report_rows(m_log_page.m_list, m_run);
    std::vector<ResultSummaryRow> summary = build_result_summary(
        rows, [](std::int32_t code, bool web) { return result_text(code, web); },
        [](std::int32_t code) { return result_hint(code); });
    CSCListCtrl& list = m_result_page.m_list;
    list.begin_fill();
    list.clear();
    for (const ResultSummaryRow& row : summary) {
        int index = list.add_row_from_text(-1, row.status + L"|" + row.category + L"|" + row.content);
        list.set_cell_colour(index, 0, row.colour);
    }
    list.end_fill();
}
