// The help shown when the check list could not be downloaded: likely causes,
// the error with its system text, and both addresses to open in the default
// browser. It closes only through its OK button.
#pragma once

#include "framework/dialog_win.h"
#include "widgets/markup_static_win.h"

#include <cstdint>
#include <string>

class CDownloadErrorHelpDlg : public CDialogEx {
public:
    explicit CDownloadErrorHelpDlg(HWND parent = nullptr);
    ~CDownloadErrorHelpDlg() override;

    std::int32_t m_error_code = 0;
    std::wstring m_host;
    std::wstring m_path;

    // Display name of the program registered for https links ("" when none).
    static std::wstring default_browser_name();
    bool PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void open_address(int edit_id);

    CSCStatic m_headline;
    CSCStatic m_error_line;
    CSCStatic m_explanation;
    HWND m_tooltip = nullptr;
    HBITMAP m_button_image = nullptr;
    HBRUSH m_white = nullptr;
    HBRUSH m_edit_back = nullptr;
};

// Shows the help modally.
void show_download_error_help(HWND parent, std::int32_t error_code, const std::wstring& host,
                              const std::wstring& path);
