#include "pages/diag_page_win.h"

#include "framework/settings_store.h"

#include <commctrl.h>

namespace {

const int kListId = 1012;
// Gap between the page's edge and its list, in pixels at 96 DPI.
const int kListMargin = 2;

}  // namespace

CDiagPage::CDiagPage(const ListPagePlan& plan) : CDialogEx(static_cast<UINT>(plan.template_id)), m_plan(plan) {}

void CDiagPage::set_colours(COLORREF back, COLORREF text)
{
    m_back = back;
    m_text = text;
}

BOOL CDiagPage::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    m_back_brush.reset(CreateSolidBrush(m_back));
    configure_list();
    fit_list();
    return TRUE;
}

void CDiagPage::configure_list()
{
    HWND list = item(kListId);
    if (!list || !m_list.attach(list))
        return;
    const DWORD styles = LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_FLATSB;
    ListView_SetExtendedListViewStyleEx(list, styles, styles);
    m_list.set_columns(scale_column_widths(m_plan.columns, window_dpi(list)));

    m_list.set_font_size(list_font_size(settings_get_int(m_plan.font_section, L"font size", kDefaultListFontSize)));
    // An empty name keeps the list's own font.
    std::wstring face = list_font_name(settings_get_string(m_plan.font_section, L"font name", kDefaultListFontName));
    if (!face.empty())
        m_list.set_font_name(face);

    m_list.load_column_widths(m_plan.width_section);
    for (const auto& [column, alignment] : m_plan.alignments)
        m_list.set_column_alignment(column, alignment);
    m_list.set_text_colour(m_text);
    m_list.set_row_height();
    m_list.use_lowered_second_row_colour();
}

void CDiagPage::fit_list()
{
    HWND list = item(kListId);
    if (!list)
        return;
    RECT rc = client_rect();
    const int margin = scale(kListMargin);
    InflateRect(&rc, -margin, -margin);
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    MoveWindow(list, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void CDiagPage::OnSize(UINT, int, int)
{
    fit_list();
}

bool CDiagPage::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result)
{
    if (!m_back_brush)
        return false;
    switch (msg) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wp), m_back);
        result = reinterpret_cast<LRESULT>(m_back_brush.get());
        return true;
    case WM_ERASEBKGND: {
        RECT rc = client_rect();
        FillRect(reinterpret_cast<HDC>(wp), &rc, m_back_brush.get());
        result = 1;
        return true;
    }
    default:
        return false;
    }
}

CDiagLogDlg::CDiagLogDlg() : CDiagPage(log_page_plan()) {}

bool CDiagLogDlg::PreTranslateMessage(MSG* msg)
{
    return msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
}

CDiagResultDlg::CDiagResultDlg() : CDiagPage(result_page_plan()) {}

CDiagResultDlg::~CDiagResultDlg()
{
    // Destroyed here, while OnDestroy still reaches this class, so the widths are kept.
    if (exists())
        DestroyWindow(m_hwnd);
}

void CDiagResultDlg::OnDestroy()
{
    if (m_list.hwnd())
        m_list.save_column_widths(m_plan.width_section);
}
