#include "pages/diag_page_win.h"

#include "check/http/http_request.h"
#include "common/log.h"
#include "framework/settings_store.h"

#include <commctrl.h>

namespace {
const int kListId = 1012;
const int kListMargin = 2;
const int kAlignLeft = 0, kAlignRight = 1, kAlignCentre = 2;
} // namespace

CDiagPage::CDiagPage(UINT template_id, std::wstring columns, std::wstring settings_section, std::wstring width_section)
    : CDialogEx(template_id), m_columns(std::move(columns)), m_settings_section(std::move(settings_section)),
      m_width_section(std::move(width_section))
{
}

CDiagPage::~CDiagPage()
{
    if (m_back_brush)
        DeleteObject(m_back_brush);
}

void CDiagPage::set_colours(COLORREF back, COLORREF text)
{
    m_back = back;
    m_text = text;
}

BOOL CDiagPage::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    m_back_brush = CreateSolidBrush(m_back);
    HWND list = item(kListId);
    if (list && m_list.attach(list)) {
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_FLATSB);
        m_list.set_columns(m_columns);
        int size = settings_get_int(m_settings_section, L"font size", 8);
        std::wstring name = settings_get_string(m_settings_section, L"font name", L"맑은 고딕");
        if (name.size() > 31)
            name.resize(31);
        if (size > 0)
            m_list.set_font_size(size);
        if (!name.empty())
            m_list.set_font_name(name);
        m_list.load_column_widths(m_width_section);
        align_columns();
        m_list.set_text_colour(RGB(64, 64, 64));
        m_list.set_row_height();
        m_list.use_lowered_second_row_colour();
    }
    fit_list();
    return TRUE;
}

void CDiagPage::fit_list()
{
    HWND list = item(kListId);
    if (!list)
        return;
    RECT rc = client_rect();
    InflateRect(&rc, -kListMargin, -kListMargin);
    MoveWindow(list, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void CDiagPage::OnSize(UINT, int, int)
{
    fit_list();
}

bool CDiagPage::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result)
{
    if (msg == WM_CTLCOLORDLG || msg == WM_CTLCOLORSTATIC) {
        SetBkColor(reinterpret_cast<HDC>(wp), m_back);
        result = reinterpret_cast<LRESULT>(m_back_brush);
        return m_back_brush != nullptr;
    }
    if (msg == WM_ERASEBKGND && m_back_brush) {
        RECT rc = client_rect();
        FillRect(reinterpret_cast<HDC>(wp), &rc, m_back_brush);
        result = 1;
        return true;
    }
    return false;
}

CDiagLogDlg::CDiagLogDlg()
    : CDiagPage(131, L"구분,56;진단 대상,200;포트,45;진단 시각,65;시간,70;결과,60;비고,70", L"list log",
                L"CDiagLogDlg list log")
{
}

void CDiagLogDlg::align_columns()
{
    m_list.set_column_alignment(-1, kAlignCentre);
    m_list.set_column_alignment(1, kAlignLeft);
    m_list.set_column_alignment(2, kAlignRight);
    m_list.set_column_alignment(4, kAlignRight);
}

bool CDiagLogDlg::PreTranslateMessage(MSG* msg)
{
    return msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
}

CDiagResultDlg::CDiagResultDlg()
    : CDiagPage(132, L"결과,56;구분,100;내용,400", L"list result", L"CDiagResultDlg list result")
{
}

void CDiagResultDlg::align_columns()
{
    m_list.set_column_alignment(-1, kAlignCentre);
    m_list.set_column_alignment(2, kAlignLeft);
}

void CDiagResultDlg::OnDestroy()
{
    if (m_list.hwnd())
        m_list.save_column_widths(m_width_section);
}

CDiagErrorCodeDlg::CDiagErrorCodeDlg()
    : CDiagPage(159, L"에러 코드,80;설명,400", L"list log", L"CDiagErrorCodeDlg list log")
{
}

void CDiagErrorCodeDlg::align_columns()
{
    m_list.set_column_alignment(0, kAlignCentre);
}

bool CDiagErrorCodeDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    if (msg == WM_SHOWWINDOW && wp && !m_table_loaded) {
        m_table_loaded = true;
        // After the page has appeared: building the table takes a moment.
        PostMessageW(m_hwnd, WM_TIMER, 0, 0);
    }
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
    HCURSOR old_cursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    m_list.clear();
    m_list.begin_fill();
    int rows = 0;
    for (int code = 100; code <= 12174; ++code) {
        std::wstring text = error_text(code);
        if (text.empty() || text == L"unknown error")
            continue;
        m_list.add_row_from_text(-1, std::to_wstring(code) + L"|" + text);
        ++rows;
    }
    SCLOG(0, L"load_error_table : %d 행 삽입 완료(그리기 전)", rows);
    m_list.end_fill();
    SetCursor(old_cursor);
    SCLOG(0, L"load_error_table 완료");
}
