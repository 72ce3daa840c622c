#include "widgets/theme/en_tab_ctrl_win.h"

#include "common/own_paint_win.h"
#include "framework/dialog_win.h"
#include "widgets/theme/gdi_helpers_win.h"
#include "widgets/theme/theme_colours.h"

#include <commctrl.h>

#include <algorithm>

bool CEnTabCtrl::attach(HWND hwnd)
{
    if (!Wnd::attach(hwnd))
        return false;
    // Pages live inside the tab control; our painting must not cover them.
    SetWindowLongPtrW(m_hwnd, GWL_STYLE, GetWindowLongPtrW(m_hwnd, GWL_STYLE) | WS_CLIPCHILDREN);
    rebuild_font();
    return true;
}

void CEnTabCtrl::rebuild_font()
{
    m_font = create_point_font(m_hwnd, default_theme().font_name, m_points, m_weight);
    m_bold_font = create_point_font(m_hwnd, default_theme().font_name, m_points, 700);
    SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
    invalidate();
}

int CEnTabCtrl::insert_item(int index, const std::wstring& text)
{
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    return static_cast<int>(SendMessageW(m_hwnd, TCM_INSERTITEMW, static_cast<WPARAM>(index),
                                         reinterpret_cast<LPARAM>(&item)));
}

int CEnTabCtrl::item_count() const
{
    return m_hwnd ? static_cast<int>(SendMessageW(m_hwnd, TCM_GETITEMCOUNT, 0, 0)) : 0;
}

int CEnTabCtrl::get_cur_sel() const
{
    return m_hwnd ? static_cast<int>(SendMessageW(m_hwnd, TCM_GETCURSEL, 0, 0)) : -1;
}

void CEnTabCtrl::set_cur_sel(int index)
{
    if (m_hwnd) {
        SendMessageW(m_hwnd, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        invalidate();
    }
}

RECT CEnTabCtrl::item_rect(int index) const
{
    RECT rc{};
    if (m_hwnd)
        SendMessageW(m_hwnd, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc));
    return rc;
}

void CEnTabCtrl::set_item_size(int width, int height)
{
    if (m_hwnd)
        SendMessageW(m_hwnd, TCM_SETITEMSIZE, 0, MAKELPARAM(width, height));
}

void CEnTabCtrl::set_min_tab_width(int width)
{
    if (m_hwnd)
        SendMessageW(m_hwnd, TCM_SETMINTABWIDTH, 0, width);
}

void CEnTabCtrl::set_back_colour(std::uint32_t colour)
{
    m_back = colour;
    invalidate();
}

void CEnTabCtrl::set_colours(std::uint32_t tab_back, std::uint32_t tab_hot, std::uint32_t selected_back,
                             std::uint32_t text, std::uint32_t selected_text)
{
    m_tab_back = tab_back;
    m_tab_hot = tab_hot;
    m_selected_back = selected_back;
    m_text = text;
    m_selected_text = selected_text;
    invalidate();
}

void CEnTabCtrl::set_text_font(int points, int weight)
{
    m_points = points;
    m_weight = weight;
    rebuild_font();
}

int CEnTabCtrl::hit_test(POINT pt) const
{
    TCHITTESTINFO info{};
    info.pt = pt;
    return static_cast<int>(SendMessageW(m_hwnd, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}

bool CEnTabCtrl::on_reflect(UINT msg, WPARAM, LPARAM, LRESULT& result)
{
    if (msg != WM_DRAWITEM)
        return false;
    result = TRUE;  // drawn as a whole in WM_PAINT
    return true;
}

LRESULT CEnTabCtrl::WndProc(UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT painted = 0;
    if (handle_own_paint(m_hwnd, msg, wp, [this](HDC dc) { paint(dc); }, painted))
        return painted;
    switch (msg) {
    case WM_MOUSEMOVE: {
        POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        int hot = hit_test(pt);
        if (hot != m_hot) {
            m_hot = hot;
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, m_hwnd, 0};
            TrackMouseEvent(&tme);
            invalidate();
        }
        break;
    }
    case WM_MOUSELEAVE:
        m_hot = -1;
        invalidate();
        break;
    case TCM_SETCURSEL: {
        LRESULT r = default_proc(msg, wp, lp);
        invalidate();
        return r;
    }
    case WM_DPICHANGED_AFTERPARENT:
        rebuild_font();
        break;
    default:
        break;
    }
    return default_proc(msg, wp, lp);
}

void CEnTabCtrl::paint(HDC target)
{
    RECT rc = client_rect();
    BufferedPaint buffer(m_hwnd, target, rc);
    HDC dc = buffer.dc();
    fill_rect(dc, rc, m_back);
    int count = item_count();
    int selected = get_cur_sel();
    int bottom = 0;
    for (int i = 0; i < count; ++i) {
        RECT item = item_rect(i);
        bottom = std::max<int>(bottom, item.bottom);
        RECT tab = item;
        InflateRect(&tab, 0, 0);
        std::uint32_t back = i == selected ? m_selected_back : i == m_hot ? m_tab_hot : m_tab_back;
        fill_rect(dc, tab, back);
        wchar_t buf[128] = {};
        TCITEMW ti{};
        ti.mask = TCIF_TEXT;
        ti.pszText = buf;
        ti.cchTextMax = 127;
        SendMessageW(m_hwnd, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&ti));
        draw_text(dc, buf, tab, i == selected ? m_bold_font.get() : m_font.get(), i == selected ? m_selected_text : m_text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    // A rule under the tabs in the selected tab's colour joins tab and page.
    RECT rule{rc.left, bottom, rc.right, bottom + std::max(2, scale(2))};
    fill_rect(dc, rule, m_selected_back);
    // Thin frame round the page area.
    RECT frame{rc.left, rule.bottom, rc.right, rc.bottom};
    frame_rect(dc, frame, m_tab_back);
}
