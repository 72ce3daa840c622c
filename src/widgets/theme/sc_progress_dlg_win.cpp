#include "widgets/theme/sc_progress_dlg_win.h"

#include "common/own_paint_win.h"
#include "widgets/theme/gdi_helpers_win.h"

#include <algorithm>

namespace {
const UINT kMsgSetRange = WM_APP + 0x40;
const UINT kMsgSetPos = WM_APP + 0x41;
const UINT kMsgGetPos = WM_APP + 0x42;
const UINT kMsgStep = WM_APP + 0x43;
const UINT kMsgHideAtEnd = WM_APP + 0x44;
const UINT kMsgSetMessage = WM_APP + 0x45;
const UINT kMsgGetMessage = WM_APP + 0x46;
} // namespace

CSCProgressDlg::~CSCProgressDlg()
{
    destroy();
}

bool CSCProgressDlg::create(HWND owner, const std::wstring& text, int width, int height)
{
    m_message = text;
    int dpi = window_dpi(owner);
    CreateArgs args;
    args.parent = owner;
    args.class_name = L"";
    args.style = WS_POPUP | WS_BORDER;
    args.ex_style = WS_EX_TOOLWINDOW;
    args.rect = {0, 0, MulDiv(width, dpi, 96), MulDiv(height, dpi, 96)};
    args.text = L"";
    if (!Wnd::create(args))
        return false;
    m_font = create_point_font(m_hwnd, m_theme.font_name, 9, 400);
    return true;
}

void CSCProgressDlg::set_topmost(bool topmost)
{
    if (m_hwnd)
        SetWindowPos(m_hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CSCProgressDlg::set_message(const std::wstring& text)
{
    if (m_hwnd)
        SendMessageW(m_hwnd, kMsgSetMessage, 0, reinterpret_cast<LPARAM>(&text));
}

std::wstring CSCProgressDlg::message() const
{
    std::wstring out;
    if (m_hwnd)
        SendMessageW(m_hwnd, kMsgGetMessage, 0, reinterpret_cast<LPARAM>(&out));
    return out;
}

void CSCProgressDlg::set_range(int lower, int upper)
{
    if (m_hwnd)
        SendMessageW(m_hwnd, kMsgSetRange, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

void CSCProgressDlg::set_pos(int position)
{
    if (m_hwnd)
        SendMessageW(m_hwnd, kMsgSetPos, static_cast<WPARAM>(position), 0);
}

int CSCProgressDlg::pos() const
{
    return m_hwnd ? static_cast<int>(SendMessageW(m_hwnd, kMsgGetPos, 0, 0)) : 0;
}

void CSCProgressDlg::step()
{
    if (m_hwnd)
        SendMessageW(m_hwnd, kMsgStep, 0, 0);
}

void CSCProgressDlg::set_hide_at_end(bool hide)
{
    if (m_hwnd)
        SendMessageW(m_hwnd, kMsgHideAtEnd, hide ? 1 : 0, 0);
}

void CSCProgressDlg::show_window(bool visible)
{
    if (m_hwnd)
        ShowWindow(m_hwnd, visible ? SW_SHOWNOACTIVATE : SW_HIDE);
}

LRESULT CSCProgressDlg::WndProc(UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT painted = 0;
    if (handle_own_paint(m_hwnd, msg, wp, [this](HDC dc) { paint(dc); }, painted))
        return painted;
    switch (msg) {
    case kMsgSetRange:
        m_model.set_range(static_cast<int>(wp), static_cast<int>(lp));
        invalidate();
        return 0;
    case kMsgSetPos:
        m_model.set_position(static_cast<int>(wp));
        invalidate();
        return 0;
    case kMsgGetPos:
        return m_model.position();
    case kMsgStep:
        m_model.step();
        invalidate();
        UpdateWindow(m_hwnd);
        if (m_model.should_hide())
            ShowWindow(m_hwnd, SW_HIDE);
        return 0;
    case kMsgHideAtEnd:
        m_model.hide_at_end = wp != 0;
        return 0;
    case kMsgSetMessage:
        m_message = *reinterpret_cast<const std::wstring*>(lp);
        invalidate();
        return 0;
    case kMsgGetMessage:
        *reinterpret_cast<std::wstring*>(lp) = m_message;
        return 0;
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        break;
    }
    return default_proc(msg, wp, lp);
}

void CSCProgressDlg::paint(HDC target)
{
    RECT rc = client_rect();
    BufferedPaint buffer(m_hwnd, target, rc);
    HDC dc = buffer.dc();
    fill_rect(dc, rc, m_theme.back);
    RECT strip{rc.left, rc.top, rc.right, rc.top + scale(4)};
    fill_rect(dc, strip, m_theme.title_back);

    int margin = scale(14);
    int bar_h = scale(6);
    RECT bar{rc.left + margin, rc.bottom - margin - bar_h, rc.right - margin, rc.bottom - margin};
    RECT text_rc{rc.left + margin, strip.bottom + scale(8), rc.right - margin, bar.top - scale(8)};
    // Vertically centred block of lines.
    RECT measure = text_rc;
    {
        SelectedObject font(dc, m_font.get());
        DrawTextW(dc, m_message.c_str(), -1, &measure, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    }
    int text_h = measure.bottom - measure.top;
    int avail = text_rc.bottom - text_rc.top;
    if (text_h < avail)
        text_rc.top += (avail - text_h) / 2;
    draw_text(dc, m_message, text_rc, m_font.get(), m_theme.text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);

    fill_rect(dc, bar, m_theme.tab_back);
    RECT done = bar;
    done.right = bar.left + static_cast<int>((bar.right - bar.left) * m_model.fraction() + 0.5);
    if (done.right > done.left)
        fill_rect(dc, done, m_theme.accent);
}
