#include "widgets/tool_tip_win.h"

#include <commctrl.h>

bool CSCToolTip::create(HWND owner, int max_width, int show_ms, DWORD extra_style)
{
    CreateArgs args;
    args.parent = owner;
    args.class_name = TOOLTIPS_CLASSW;
    args.style = WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | extra_style;
    args.ex_style = WS_EX_TOPMOST;
    if (!Wnd::create(args))
        return false;
    m_owner = owner;
    if (max_width > 0)
        SendMessageW(m_hwnd, TTM_SETMAXTIPWIDTH, 0, max_width);
    if (show_ms > 0)
        SendMessageW(m_hwnd, TTM_SETDELAYTIME, TTDT_AUTOPOP, show_ms);
    return true;
}

void CSCToolTip::add_tool(HWND control, wchar_t* text)
{
    if (!m_hwnd || !control)
        return;
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = m_owner;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = text;
    SendMessageW(m_hwnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CSCToolTip::add(HWND control, const std::wstring& text)
{
    add_tool(control, const_cast<wchar_t*>(text.c_str()));  // the tip keeps its own copy
}

void CSCToolTip::add_asking(HWND control)
{
    add_tool(control, LPSTR_TEXTCALLBACKW);
}

HWND CSCToolTip::window_at(POINT screen) const
{
    HWND under = WindowFromPoint(screen);
    if (under == m_owner) {
        POINT client = screen;
        ScreenToClient(m_owner, &client);
        // Unlike WindowFromPoint, this finds a disabled child too.
        if (HWND child = ChildWindowFromPointEx(m_owner, client, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT))
            under = child;
    }
    return under;
}

void CSCToolTip::relay(const MSG& msg)
{
    if (!m_hwnd || msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST)
        return;
    POINT screen = msg.pt;
    HWND under = window_at(screen);
    if (!under)
        return;
    POINT client = screen;
    ScreenToClient(under, &client);
    MSG relayed = msg;
    relayed.hwnd = under;
    relayed.lParam = MAKELPARAM(client.x, client.y);
    SendMessageW(m_hwnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void CSCToolTip::pop()
{
    if (m_hwnd && IsWindowVisible(m_hwnd))
        SendMessageW(m_hwnd, TTM_POP, 0, 0);
}

LRESULT CSCToolTip::WndProc(UINT msg, WPARAM wp, LPARAM lp)
{
    // The tip asks which window is under the point before it shows a tool.
    if (msg == TTM_WINDOWFROMPOINT && lp)
        return reinterpret_cast<LRESULT>(window_at(*reinterpret_cast<const POINT*>(lp)));
    return default_proc(msg, wp, lp);
}
