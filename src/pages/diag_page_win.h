// A page of the main dialog's tab control: a borderless child dialog holding
// one list (control 1012) that fills it. The pages only lay out and configure
// their lists; the rows come from the check run and the summary.
#pragma once

#include "framework/dialog_win.h"
#include "widgets/list_ctrl_win.h"

#include <string>

class CDiagPage : public CDialogEx {
public:
    CSCListCtrl m_list;

    // Background and text colours of the page (0x00BBGGRR), set before create().
    void set_colours(COLORREF back, COLORREF text);

protected:
    // columns: "title,width;..."; settings_section: where the font lives;
    // width_section: where column widths live.
    CDiagPage(UINT template_id, std::wstring columns, std::wstring settings_section, std::wstring width_section);

    BOOL OnInitDialog() override;
    void OnSize(UINT type, int cx, int cy) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // Column alignment after the columns exist.
    virtual void align_columns() = 0;

    const std::wstring m_columns;
    const std::wstring m_settings_section;
    const std::wstring m_width_section;

private:
    void fit_list();
    COLORREF m_back = RGB(246, 248, 251);
    COLORREF m_text = RGB(64, 64, 64);
    HBRUSH m_back_brush = nullptr;

public:
    ~CDiagPage() override;
};

// Page 0: one row per check item and its progress.
class CDiagLogDlg : public CDiagPage {
public:
    CDiagLogDlg();
    // Enter and Escape pressed in the log list do nothing.
    bool PreTranslateMessage(MSG* msg) override;

protected:
    void align_columns() override;
};

// Page 1: failed and partly failed items after a run. Keeps its column widths.
class CDiagResultDlg : public CDiagPage {
public:
    CDiagResultDlg();

protected:
    void align_columns() override;
    void OnDestroy() override;
};

// Page 2: system and WinINet error codes with their texts, built the first time
// the page is shown.
class CDiagErrorCodeDlg : public CDiagPage {
public:
    CDiagErrorCodeDlg();
    void load_error_table();
    bool table_loaded() const { return m_table_loaded; }

protected:
    void align_columns() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnTimer(UINT_PTR id) override;

private:
    bool m_table_loaded = false;
};
