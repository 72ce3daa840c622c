// The help shown when the check list could not be downloaded: likely causes,
// the error with its system text, and both addresses of the file with buttons
// that open them in the default browser. Only its OK button closes it.
#pragma once

#include "common/gdi_owners_win.h"
#include "framework/dialog_win.h"
#include "widgets/markup_static_win.h"
#include "widgets/tool_tip_win.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Gdiplus {
class Bitmap;
}

class CDownloadErrorHelpDlg : public CDialogEx {
public:
    explicit CDownloadErrorHelpDlg(HWND parent = nullptr);
    ~CDownloadErrorHelpDlg() override;  // where Gdiplus::Bitmap is complete

    // Set between construction and DoModal.
    std::int32_t m_error_code = 0;
    std::wstring m_host;
    std::wstring m_path;  // as the download used it, with its leading "/"

    // What initialisation chose, for the caller and for tests.
    RECT explanation_text_rect() const { return m_explanation.text_rect(); }
    const std::wstring& error_line() const { return m_error_line_text; }
    const std::wstring& browser_name() const { return m_browser_name; }
    int image_id() const { return m_image_id; }
    HWND tooltip() const { return m_tooltip.hwnd(); }

    bool PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnInitDialog() override;
    // Escape and the close box do nothing.
    void OnCancel() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void fit_explanation();
    void open_address(int edit_id);
    void draw_image_button(const DRAWITEMSTRUCT& item);

    CSCStatic m_headline;
    CSCStatic m_error_line;
    CSCStatic m_explanation;
    CSCToolTip m_tooltip;
    std::unique_ptr<Gdiplus::Bitmap> m_image;
    OwnedBrush m_white;
    OwnedBrush m_address_back;
    std::wstring m_error_line_text;
    std::wstring m_browser_name;
    int m_image_id = 0;
};

// Shows the help modally over `parent`; returns when the user pressed OK.
INT_PTR show_download_error_help(HWND parent, std::int32_t error_code, const std::wstring& host,
                                 const std::wstring& path);
