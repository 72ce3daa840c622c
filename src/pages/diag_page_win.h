// The three list pages of the main dialog's tab control. Each is a borderless
// child dialog holding one list (control 1012) that fills it less a small
// margin. The pages configure and lay out their lists; the rows of the log and
// result pages come from the check run and the summary.
#pragma once

#include "common/gdi_owners_win.h"
#include "framework/dialog_win.h"
#include "pages/list_page_plan.h"
#include "widgets/list_ctrl_win.h"

#include <string>

class CDiagPage : public CDialogEx {
public:

    CSCListCtrl m_list;

    // Page background and list text colour (0x00BBGGRR); set before create().
    void set_colours(COLORREF back, COLORREF text);
    const ListPagePlan& plan() const { return m_plan; }

protected:
    explicit CDiagPage(const ListPagePlan& plan);

    BOOL OnInitDialog() override;
    void OnSize(UINT type, int cx, int cy) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    const ListPagePlan& m_plan;

private:
    void configure_list();
    void fit_list();

    COLORREF m_back = RGB(255, 255, 255);
    COLORREF m_text = RGB(64, 64, 64);
    OwnedBrush m_back_brush;
};

// Page 0: one row per check item and its progress. The main dialog hands the
// page's messages to PreTranslateMessage, which drops Enter and Escape so that
// they neither start a run nor close the program from the list.
class CDiagLogDlg : public CDiagPage {
public:
    CDiagLogDlg();
    bool PreTranslateMessage(MSG* msg) override;
};

// Page 1: the failed and unstable items after a run. Keeps its column widths
// in the settings when it is destroyed.
class CDiagResultDlg : public CDiagPage {
public:
    CDiagResultDlg();
    ~CDiagResultDlg() override;

protected:
    void OnDestroy() override;
};

// Page 2: system and WinINet error codes with their texts, built from the
// system's message tables the first time the page is shown.
class CDiagErrorCodeDlg : public CDiagPage {
public:
    CDiagErrorCodeDlg();

    // Clears the list and fills it with every code from 100 to 12174 that has a text.
    void load_error_table();
    bool table_loaded() const { return m_table_loaded; }

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnTimer(UINT_PTR id) override;

private:
    bool m_table_loaded = false;
};
