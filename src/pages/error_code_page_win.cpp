// The error-code page's table: built from the system's message tables, once.
#include "pages/diag_page_win.h"

#include "check/http/http_request.h"
#include "common/log.h"

#include <commctrl.h>

CDiagErrorCodeDlg::CDiagErrorCodeDlg() : CDiagPage(error_code_page_plan()) {}

bool CDiagErrorCodeDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    if (msg == WM_SHOWWINDOW && wp && !m_table_loaded)
        load_error_table();
    return CDiagPage::OnMessage(msg, wp, lp, result);
}

void CDiagErrorCodeDlg::OnTimer(UINT_PTR id)
{
    if (id == 0) {
        KillTimer(0);
        load_error_table();
    }
}

void CDiagErrorCodeDlg::load_error_table()
{
    m_table_loaded = true;
    if (!m_list.hwnd())
        return;
    SCLOG(0, L"load_error_table 시작");
    HCURSOR previous_cursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));

    m_list.clear();
    m_list.begin_fill();
    int rows = 0;
    for (int code = kFirstErrorCode; code <= kLastErrorCode; ++code) {
        // WinINet's message table for its own codes, the system's for the rest.
        std::wstring text = error_text(code);
        if (!error_table_keeps(text))
            continue;
        // Cells are set one by one: a message may contain the row separator.
        int row = m_list.append_row(std::to_wstring(code));
        m_list.set_cell_text(row, 1, text, false);
        ++rows;
    }
    SCLOG(0, L"load_error_table : %d 행 삽입 완료(그리기 전)", rows);
    m_list.end_fill();
    if (m_list.hwnd())
        UpdateWindow(m_list.hwnd());

    SetCursor(previous_cursor);
    SCLOG(0, L"load_error_table 완료");
}
