#include "widgets/theme/sc_theme_dlg_win.h"

#include "common/window_geometry.h"
#include "widgets/theme/gdi_helpers_win.h"

#include <windowsx.h>

#include <algorithm>

namespace {
const int kFirstButtonId = 0xE100;
const int kCaptionHeight = 34;   // at 96 DPI
const int kButtonWidth = 44;
const int kResizeBorder = 5;

using DwmSetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);

DwmSetWindowAttributeFn dwm_set_attribute()
{
    static DwmSetWindowAttributeFn fn = [] {
        HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
        return dwm ? reinterpret_cast<DwmSetWindowAttributeFn>(
                         reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")))
                   : nullptr;
    }();
    return fn;
}

BOOL CALLBACK shift_child(HWND child, LPARAM lp)
{
    auto* info = reinterpret_cast<std::pair<HWND, int>*>(lp);
    if (GetParent(child) != info->first)
        return TRUE;
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, info->first, reinterpret_cast<POINT*>(&rc), 2);
    SetWindowPos(child, nullptr, rc.left, rc.top + info->second, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}
} // namespace

CSCThemeDlg::CSCThemeDlg(UINT template_id, HWND parent) : CDialogEx(template_id, parent), m_theme(default_theme()) {}

CSCThemeDlg::~CSCThemeDlg()
{
    m_buttons.clear();
}

UINT CSCThemeDlg::system_buttons_message()
{
    static UINT msg = RegisterWindowMessageW(L"MessageString_CSCSystemButtons");
    return msg;
}

int CSCThemeDlg::caption_height() const
{
    return scale(kCaptionHeight);
}

RECT CSCThemeDlg::caption_rect() const
{
    RECT rc = client_rect();
    rc.bottom = rc.top + caption_height();
    return rc;
}

void CSCThemeDlg::set_theme(const CSCTheme& theme)
{
    m_theme = theme;
    m_back_brush.reset(CreateSolidBrush(m_theme.back));
    if (m_hwnd) {
        rebuild_fonts();
        for (auto& b : m_buttons)
            b->set_colours(m_theme.title_back, m_theme.title_text, m_theme.accent_hot, m_theme.accent_down);
        invalidate();
    }
}

void CSCThemeDlg::set_caption_icon(HICON icon)
{
    m_caption_icon = icon;
    if (m_hwnd)
        InvalidateRect(m_hwnd, nullptr, FALSE);
}

void CSCThemeDlg::rebuild_fonts()
{
    m_caption_font = create_point_font(m_hwnd, m_theme.font_name, m_theme.font_size, 700);
}

BOOL CSCThemeDlg::OnInitDialog()
{
    if (!m_back_brush)
        m_back_brush.reset(CreateSolidBrush(m_theme.back));
    // Our own caption replaces the system's.
    LONG_PTR style = GetWindowLongPtrW(m_hwnd, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME);
    style |= WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
    if (m_resizable)
        style |= WS_MAXIMIZEBOX;
    SetWindowLongPtrW(m_hwnd, GWL_STYLE, style);
    LONG_PTR ex = GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE);
    ex &= ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE);
    SetWindowLongPtrW(m_hwnd, GWL_EXSTYLE, ex | WS_EX_APPWINDOW);

    // The template's client area sits below the caption bar.
    RECT client = client_rect();
    int cap = caption_height();
    std::pair<HWND, int> info{m_hwnd, cap};
    EnumChildWindows(m_hwnd, shift_child, reinterpret_cast<LPARAM>(&info));
    SetWindowPos(m_hwnd, nullptr, 0, 0, client.right - client.left, client.bottom - client.top + cap,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    rebuild_fonts();
    m_initialised = true;
    if (!m_button_commands.empty())
        set_system_buttons(m_button_commands);
    return CDialogEx::OnInitDialog();
}

void CSCThemeDlg::set_system_buttons(const std::vector<int>& commands)
{
    m_button_commands = commands;
    if (!m_hwnd || !m_initialised)
        return;
    m_buttons.clear();
    for (size_t i = 0; i < commands.size(); ++i) {
        auto button = std::make_unique<CGdiButton>();
        RECT rc{0, 0, scale(kButtonWidth), caption_height()};
        if (!button->create(m_hwnd, rc, kFirstButtonId + static_cast<int>(i), L""))
            continue;
        SetWindowLongPtrW(button->hwnd(), GWL_STYLE, GetWindowLongPtrW(button->hwnd(), GWL_STYLE) & ~WS_TABSTOP);
        button->m_command = commands[i];
        switch (commands[i]) {
        case SC_MINIMIZE: button->set_glyph(CGdiButton::Glyph::minimise); break;
        case SC_MAXIMIZE: case SC_RESTORE: button->set_glyph(CGdiButton::Glyph::maximise); break;
        case SC_CLOSE: button->set_glyph(CGdiButton::Glyph::close); break;
        default: button->set_glyph(CGdiButton::Glyph::pin); break;
        }
        std::uint32_t hot = commands[i] == SC_CLOSE ? CSCTheme::rgb(232, 17, 35) : m_theme.accent_hot;
        button->set_colours(m_theme.title_back, m_theme.title_text, hot, m_theme.accent_down);
        m_buttons.push_back(std::move(button));
    }
    layout_system_buttons();
}

void CSCThemeDlg::layout_system_buttons()
{
    RECT rc = client_rect();
    int w = scale(kButtonWidth), h = caption_height() - 1;
    int right = rc.right - 1;
    // The last command given sits at the far right (close), as on every caption.
    for (auto it = m_buttons.rbegin(); it != m_buttons.rend(); ++it) {
        SetWindowPos((*it)->hwnd(), nullptr, right - w, rc.top + 1, w, h - 1, SWP_NOZORDER | SWP_NOACTIVATE);
        right -= w;
    }
}

void CSCThemeDlg::apply_frame_attributes()
{
    auto fn = dwm_set_attribute();
    if (!fn || !m_hwnd)
        return;
    BOOL dark = TRUE;
    fn(m_hwnd, 20, &dark, sizeof(dark)); // immersive dark mode
    fn(m_hwnd, 19, &dark, sizeof(dark)); // the same attribute on older Windows 10 builds
    int corners = 2;                     // rounded
    fn(m_hwnd, 33, &corners, sizeof(corners));
    COLORREF border = m_theme.border;
    fn(m_hwnd, 34, &border, sizeof(border));
}

void CSCThemeDlg::OnSize(UINT type, int cx, int cy)
{
    layout_system_buttons();
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

bool CSCThemeDlg::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hwnd, &ps);
    paint_frame(dc);
    EndPaint(m_hwnd, &ps);
    return true;
}

void CSCThemeDlg::paint_frame(HDC target)
{
    RECT rc = client_rect();
    BufferedPaint buffer(m_hwnd, target, rc);
    HDC dc = buffer.dc();
    fill_rect(dc, rc, m_theme.back);
    RECT cap = caption_rect();
    fill_rect(dc, cap, m_theme.title_back);
    int x = cap.left + scale(10);
    if (m_caption_icon) {
        int s = scale(20);
        DrawIconEx(dc, x, cap.top + (cap.bottom - cap.top - s) / 2, m_caption_icon, s, s, 0, nullptr, DI_NORMAL);
        x += s + scale(8);
    }
    RECT text_rc{x, cap.top, cap.right - scale(kButtonWidth) * static_cast<int>(m_buttons.size()) - scale(8),
                 cap.bottom};
    draw_text(dc, text(), text_rc, m_caption_font.get(), m_theme.title_text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    frame_rect(dc, rc, m_theme.border);
}

LRESULT CSCThemeDlg::on_system_button(WPARAM wp, LPARAM)
{
    auto* button = reinterpret_cast<CGdiButton*>(wp);
    if (!button)
        return 0;
    switch (button->m_command) {
    case kSystemButtonTopmost: {
        bool topmost = (GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        SetWindowPos(m_hwnd, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        break;
    }
    case SC_MINIMIZE:
        ShowWindow(m_hwnd, SW_MINIMIZE);
        break;
    case SC_MAXIMIZE:
    case SC_RESTORE:
        ShowWindow(m_hwnd, IsZoomed(m_hwnd) ? SW_RESTORE : SW_MAXIMIZE);
        break;
    case SC_CLOSE:
        OnCancel();
        break;
    default:
        break;
    }
    return 0;
}

bool CSCThemeDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    if (msg == system_buttons_message()) {
        result = on_system_button(wp, lp);
        return true;
    }
    switch (msg) {
    case WM_COMMAND: {
        int id = LOWORD(wp);
        if (id >= kFirstButtonId && id < kFirstButtonId + static_cast<int>(m_buttons.size()) && HIWORD(wp) == BN_CLICKED) {
            CGdiButton* button = m_buttons[static_cast<size_t>(id - kFirstButtonId)].get();
            SendMessageW(m_hwnd, system_buttons_message(), reinterpret_cast<WPARAM>(button), 0);
            result = 0;
            return true;
        }
        return false;
    }
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_CTLCOLORDLG:
        result = reinterpret_cast<LRESULT>(m_back_brush.get());
        return true;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkColor(dc, m_theme.back);
        SetTextColor(dc, m_theme.text);
        result = reinterpret_cast<LRESULT>(m_back_brush.get());
        return true;
    }
    case WM_SETTEXT:
        // The caption is ours to draw: repaint it after the text changes.
        InvalidateRect(m_hwnd, nullptr, FALSE);
        return false;
    case WM_NCHITTEST: {
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ScreenToClient(m_hwnd, &pt);
        const RECT rc = client_rect();
        FrameMetrics frame;
        frame.width = rc.right;
        frame.height = rc.bottom;
        frame.resize_border = m_resizable && !IsZoomed(m_hwnd) ? scale(kResizeBorder) : 0;
        frame.caption_height = caption_height();
        // The icon opens the system menu, the rest of the bar moves the window.
        frame.system_menu_width = m_caption_icon ? scale(34) : 0;
        switch (frame_hit(frame, pt.x, pt.y)) {
        case FrameHit::client: return false;
        case FrameHit::caption: result = HTCAPTION; return true;
        case FrameHit::system_menu: result = HTSYSMENU; return true;
        case FrameHit::left: result = HTLEFT; return true;
        case FrameHit::right: result = HTRIGHT; return true;
        case FrameHit::top: result = HTTOP; return true;
        case FrameHit::bottom: result = HTBOTTOM; return true;
        case FrameHit::top_left: result = HTTOPLEFT; return true;
        case FrameHit::top_right: result = HTTOPRIGHT; return true;
        case FrameHit::bottom_left: result = HTBOTTOMLEFT; return true;
        case FrameHit::bottom_right: result = HTBOTTOMRIGHT; return true;
        }
        return false;
    }
    case WM_NCLBUTTONDBLCLK:
        if (wp == HTCAPTION && !m_resizable) {
            result = 0;
            return true; // no maximise by double click on a fixed-size window
        }
        return false;
    case WM_DPICHANGED: {
        auto* suggested = reinterpret_cast<RECT*>(lp);
        SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        rebuild_fonts();
        layout_system_buttons();
        result = 0;
        return true;
    }
    default:
        return false;
    }
}
