#include "widgets/theme/mac_progress_ctrl_win.h"

#include "common/own_paint_win.h"
#include "widgets/theme/gdi_helpers_win.h"

#include <commctrl.h>

namespace {
const UINT kMsgHideAtEnd = WM_USER + 0x300;
const UINT kMsgGetBusy = WM_USER + 0x301;
const UINT_PTR kBusyTimer = 1;
const UINT_PTR kRepaintTimer = 2;  // the repaint pacer's wait
const UINT kBusyIntervalMs = 30;
} // namespace

bool CMacProgressCtrl::attach(HWND hwnd)
{
    return Wnd::attach(hwnd);
}

bool CMacProgressCtrl::create(HWND parent, const RECT& rc, int id)
{
    HWND h = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, rc.left, rc.top, rc.right - rc.left,
                             rc.bottom - rc.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    return adopt_created(h, [this](HWND w) { return attach(w); });
}

void CMacProgressCtrl::set_range(int lower, int upper)
{
    if (m_hwnd)
        SendMessageW(m_hwnd, PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

void CMacProgressCtrl::set_pos(int position)
{
    if (m_hwnd)
        SendMessageW(m_hwnd, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CMacProgressCtrl::set_pos_no_wait(int position)
{
    if (m_hwnd)
        SendNotifyMessageW(m_hwnd, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int CMacProgressCtrl::get_pos() const
{
    return m_hwnd ? static_cast<int>(SendMessageW(m_hwnd, PBM_GETPOS, 0, 0)) : 0;
}

int CMacProgressCtrl::step()
{
    if (!m_hwnd)
        return 0;
    SendMessageW(m_hwnd, PBM_DELTAPOS, 1, 0);
    return get_pos();
}

void CMacProgressCtrl::set_busy(bool busy)
{
    if (m_hwnd)
        SendMessageW(m_hwnd, PBM_SETMARQUEE, busy ? TRUE : FALSE, kBusyIntervalMs);
}

bool CMacProgressCtrl::busy() const
{
    return m_hwnd && SendMessageW(m_hwnd, kMsgGetBusy, 0, 0) != 0;
}

void CMacProgressCtrl::set_hide_at_end(bool hide)
{
    if (m_hwnd)
        SendMessageW(m_hwnd, kMsgHideAtEnd, hide ? 1 : 0, 0);
    else
        m_model.hide_at_end = hide;
}

void CMacProgressCtrl::set_colours(std::uint32_t back, std::uint32_t bar)
{
    m_back = back;
    m_bar = bar;
    if (m_hwnd) {
        InvalidateRect(m_hwnd, nullptr, FALSE);
        UpdateWindow(m_hwnd);
    }
}

void CMacProgressCtrl::after_position_change(int filled_before)
{
    // A long run moves the bar by less than a pixel per item: repaint only
    // when the filled part grows or shrinks, and at most ten times a second.
    if (m_busy || m_model.filled_width(client_rect().right) != filled_before) {
        const std::optional<std::uint32_t> wait = m_repaint_pacer.on_change(GetTickCount());
        if (wait && (*wait == 0 || !::SetTimer(m_hwnd, kRepaintTimer, *wait, nullptr)))
            repaint_now();
    }
    if (m_model.should_hide() && IsWindowVisible(m_hwnd))
        ShowWindow(m_hwnd, SW_HIDE);
}

void CMacProgressCtrl::repaint_now()
{
    if (m_repaint_pacer.waiting())
        ::KillTimer(m_hwnd, kRepaintTimer);
    m_repaint_pacer.on_repaint(GetTickCount());
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

LRESULT CMacProgressCtrl::WndProc(UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT painted = 0;
    if (handle_own_paint(m_hwnd, msg, wp, [this](HDC dc) { paint(dc); }, painted))
        return painted;
    switch (msg) {
    case PBM_SETRANGE32: {
        LRESULT old = MAKELPARAM(m_model.lower(), m_model.upper());
        m_model.set_range(static_cast<int>(wp), static_cast<int>(lp));
        InvalidateRect(m_hwnd, nullptr, FALSE);
        return old;
    }
    case PBM_SETRANGE: {
        LRESULT old = MAKELPARAM(m_model.lower(), m_model.upper());
        m_model.set_range(LOWORD(lp), HIWORD(lp));
        InvalidateRect(m_hwnd, nullptr, FALSE);
        return old;
    }
    case PBM_GETRANGE: {
        auto* range = reinterpret_cast<PBRANGE*>(lp);
        if (range) {
            range->iLow = m_model.lower();
            range->iHigh = m_model.upper();
        }
        return wp ? m_model.lower() : m_model.upper();
    }
    case PBM_SETPOS: {
        int old = m_model.position();
        const int filled = m_model.filled_width(client_rect().right);
        m_model.set_position(static_cast<int>(wp));
        after_position_change(filled);
        return old;
    }
    case PBM_DELTAPOS: {
        int old = m_model.position();
        const int filled = m_model.filled_width(client_rect().right);
        m_model.set_position(old + static_cast<int>(wp));
        after_position_change(filled);
        return old;
    }
    case PBM_STEPIT: {
        int old = m_model.position();
        const int filled = m_model.filled_width(client_rect().right);
        m_model.step();
        after_position_change(filled);
        return old;
    }
    case PBM_GETPOS:
        return m_model.position();
    case PBM_SETMARQUEE:
        m_busy = wp != 0;
        if (m_busy)
            ::SetTimer(m_hwnd, kBusyTimer, lp ? static_cast<UINT>(lp) : kBusyIntervalMs, nullptr);
        else
            ::KillTimer(m_hwnd, kBusyTimer);
        InvalidateRect(m_hwnd, nullptr, FALSE);
        return TRUE;
    case kMsgGetBusy:
        return m_busy ? 1 : 0;
    case kMsgHideAtEnd:
        m_model.hide_at_end = wp != 0;
        return 0;
    case WM_TIMER:
        if (wp == kRepaintTimer) {
            repaint_now();
            return 0;
        }
        if (wp == kBusyTimer) {
            m_busy_offset += scale(4);
            InvalidateRect(m_hwnd, nullptr, FALSE);
            return 0;
        }
        break;
    default:
        break;
    }
    return default_proc(msg, wp, lp);
}

void CMacProgressCtrl::paint(HDC target)
{
    RECT rc = client_rect();
    BufferedPaint buffer(m_hwnd, target, rc);
    HDC dc = buffer.dc();
    fill_rect(dc, rc, m_back);
    int width = rc.right - rc.left;
    if (width <= 0)
        return;
    if (m_busy) {
        int block = width / 4 > 0 ? width / 4 : 1;
        int span = width + block;
        int x = rc.left - block + (m_busy_offset % span);
        RECT bar{x, rc.top, x + block, rc.bottom};
        if (bar.left < rc.left)
            bar.left = rc.left;
        if (bar.right > rc.right)
            bar.right = rc.right;
        if (bar.right > bar.left)
            fill_rect(dc, bar, m_bar);
        return;
    }
    RECT bar = rc;
    bar.right = rc.left + m_model.filled_width(width);
    if (bar.right > bar.left)
        fill_rect(dc, bar, m_bar);
}
