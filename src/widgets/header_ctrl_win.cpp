#include "widgets/header_ctrl_win.h"

#include "common/own_paint_win.h"

#include <commctrl.h>

#include <vector>

void CSCHeaderCtrl::set_colours(COLORREF back, COLORREF text, COLORREF line)
{
    run_on_window_thread([&] {
        m_back = back;
        m_text = text;
        m_line = line;
        InvalidateRect(hwnd(), nullptr, TRUE);
    });
}

void CSCHeaderCtrl::set_height(int pixels)
{
    run_on_window_thread([&] {
        m_height = pixels;
        relayout();
    });
}

void CSCHeaderCtrl::relayout()
{
    // The list view asks its header for its place (HDM_LAYOUT) when it is sized:
    // nudge it so the new height takes effect at once.
    HWND list = GetParent(hwnd());
    RECT rc;
    if (!list || !GetWindowRect(list, &rc))
        return;
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    SetWindowPos(list, nullptr, 0, 0, w, h + 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(list, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void CSCHeaderCtrl::paint(HDC dc)
{
    RECT client;
    GetClientRect(hwnd(), &client);
    fill_rect(dc, client, m_back);

    SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, m_text);
    const int count = static_cast<int>(SendMessageW(hwnd(), HDM_GETITEMCOUNT, 0, 0));
    const int pad = scale(6);
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (!SendMessageW(hwnd(), HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item)))
            continue;
        std::vector<wchar_t> title(256, L'\0');
        HDITEMW hdi{};
        hdi.mask = HDI_TEXT | HDI_FORMAT;
        hdi.pszText = title.data();
        hdi.cchTextMax = static_cast<int>(title.size());
        SendMessageW(hwnd(), HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&hdi));
        UINT align = DT_LEFT;
        if ((hdi.fmt & HDF_JUSTIFYMASK) == HDF_CENTER)
            align = DT_CENTER;
        else if ((hdi.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT)
            align = DT_RIGHT;
        RECT text_rc{item.left + pad, item.top, item.right - pad, item.bottom};
        DrawTextW(dc, title.data(), -1, &text_rc,
                  align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        // A short divider at the right edge of each title.
        RECT divider{item.right - 1, item.top + scale(6), item.right, item.bottom - scale(6)};
        fill_rect(dc, divider, m_line);
    }
    RECT bottom{client.left, client.bottom - 1, client.right, client.bottom};
    fill_rect(dc, bottom, m_line);
}

LRESULT CSCHeaderCtrl::WndProc(UINT msg, WPARAM wparam, LPARAM lparam)
{
    LRESULT painted = 0;
    if (handle_own_paint(hwnd(), msg, wparam, [this](HDC dc) { paint(dc); }, painted))
        return painted;
    if (msg == HDM_LAYOUT && lparam) {
        // The system's height follows the font; ours is fixed.
        LRESULT result = default_proc(msg, wparam, lparam);
        auto* layout = reinterpret_cast<HDLAYOUT*>(lparam);
        if (layout->prc && layout->pwpos) {
            const int h = scale(m_height);
            layout->pwpos->cy = h;
            layout->prc->top = layout->pwpos->y + h;
        }
        return result;
    }
    return default_proc(msg, wparam, lparam);
}
