// A stand-in for the main dialog in the window tests: the program's main
// template with the three list pages on its tab control, laid out and switched
// the way the program does, and a message loop that gives the dialog and the
// log page first look at every message.
#pragma once

#include "framework/dialog_win.h"
#include "pages/diag_page_win.h"

#include <functional>

class PageHost : public CDialogEx {
public:
    PageHost();

    bool open();
    void select(int tab);
    // Places the pages below the tabs, as the main dialog does.
    void layout_pages();
    // Runs the loop until `condition` holds or `timeout_ms` passes.
    bool loop_until(const std::function<bool()>& condition, DWORD timeout_ms = 10000);
    bool PreTranslateMessage(MSG* msg) override;

    CDiagLogDlg m_log_page;
    CDiagResultDlg m_result_page;
    CDiagErrorCodeDlg m_error_code_page;
    int m_ok_commands = 0;
    int m_cancel_commands = 0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { ++m_ok_commands; }
    void OnCancel() override { ++m_cancel_commands; }
    void OnSize(UINT type, int cx, int cy) override { layout_pages(); }

private:
    HWND tab() const;
};
