#include "widgets/message_box_win.h"

#include "common/colour.h"
#include "common/log.h"
#include "common/own_paint_win.h"
#include "framework/app_win.h"
#include "framework/centre_window_win.h"
#include "framework/modal_loop_win.h"
#include "framework/wnd_win.h"
#include "widgets/message_box_model.h"

#include <algorithm>

namespace {

const wchar_t kClassName[] = L"CSCMessageDlg";
const UINT_PTR kCountdownTimer = 1;
const COLORREF kCaptionColour = RGB(0xEE, 0xF1, 0xF6);
const COLORREF kBodyColour = RGB(0xFF, 0xFF, 0xFF);
const COLORREF kBorderColour = RGB(0xB8, 0xC0, 0xCC);
const COLORREF kDefaultButton = RGB(0x41, 0x69, 0xE1);
const COLORREF kOtherButton = RGB(0xE4, 0xE7, 0xEC);

bool register_class()
{
    static bool registered = false;
    if (registered)
        return true;
    // Same class traits as the system's dialogs, with this box's own procedure.
    WNDCLASSEXW wc = {sizeof(wc)};
    if (!GetClassInfoExW(nullptr, L"#32770", &wc)) {
        wc = WNDCLASSEXW{sizeof(wc)};
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    }
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = nullptr;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    wc.hbrBackground = nullptr;
    wc.lpfnWndProc = DefWindowProcW;  // the box's Wnd runs in front of it
    registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

// The application object's main window, when the process has one.
HWND application_main_window()
{
    CWinApp* app = AfxGetApp();
    return app && app->m_pMainWnd ? app->m_pMainWnd->hwnd() : nullptr;
}

bool same_process(HWND hwnd)
{
    if (!hwnd || !IsWindow(hwnd))
        return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid == GetCurrentProcessId();
}

void round_corners(HWND hwnd)
{
    using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
    if (!dwm)
        return;
    auto set = reinterpret_cast<SetAttribute>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
    if (set) {
        int preference = 2;  // DWMWCP_ROUND, attribute 33 (DWMWA_WINDOW_CORNER_PREFERENCE)
        set(hwnd, 33, &preference, sizeof(preference));
    }
}

}  // namespace

CSCMessageBox::CSCMessageBox() = default;

CSCMessageBox::~CSCMessageBox()
{
    m_message.reset();  // the text goes before the box
    release();
}

UINT CSCMessageBox::answer_message()
{
    static const UINT message = RegisterWindowMessageW(L"MessageString_CSCMessageBox");
    return message;
}

bool CSCMessageBox::create(HWND owner, const std::wstring& title, UINT icon_id, bool modal)
{
    if (m_hwnd)
        return true;
    if (!register_class())
        return false;
    ensure_gdiplus();
    if (!owner)
        owner = application_main_window();
    m_owner = same_process(owner) ? owner : nullptr;
    m_title = title;
    m_modal = modal;
    m_korean = GetUserDefaultUILanguage() == 1042;

    DWORD ex_style = m_owner ? WS_EX_TOOLWINDOW : WS_EX_APPWINDOW;
    HWND created = CreateWindowExW(ex_style, kClassName, title.c_str(), WS_POPUP | WS_CLIPCHILDREN, 0, 0, 400, 200,
                                   m_owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!adopt_created(created, [this](HWND w) { return attach(w); })) {
        SCLOG(3, L"message box window not created (%d)", static_cast<int>(GetLastError()));
        return false;
    }
    round_corners(m_hwnd);

    if (icon_id)
        m_caption_icon.reset(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon_id), IMAGE_ICON, 16, 16, 0)));
    m_style_icons[0] = LoadIconW(nullptr, IDI_HAND);
    m_style_icons[1] = LoadIconW(nullptr, IDI_QUESTION);
    m_style_icons[2] = LoadIconW(nullptr, IDI_EXCLAMATION);
    m_style_icons[3] = LoadIconW(nullptr, IDI_ASTERISK);

    NONCLIENTMETRICSW metrics = {sizeof(metrics)};
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW lf = metrics.lfMessageFont;
    lf.lfHeight = -MulDiv(9, window_dpi(m_hwnd), 72);
    if (m_korean)
        lstrcpynW(lf.lfFaceName, L"맑은 고딕", LF_FACESIZE);
    m_font.reset(CreateFontIndirectW(&lf));

    for (int id = 1; id <= 11; ++id) {
        m_buttons[id] = CreateWindowExW(0, L"BUTTON", message_box_label(id, m_korean).c_str(),
                                       WS_CHILD | BS_OWNERDRAW, 0, 0, scale(84), scale(28), m_hwnd,
                                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(message_box_button_id_base + id)),
                                       GetModuleHandleW(nullptr), nullptr);
        SendMessageW(m_buttons[id], WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
    }

    m_message = std::make_unique<CSCStatic>();
    RECT rect = {0, 0, 100, 40};
    if (!m_message->create(m_hwnd, rect, 0xFFFF))
        return false;
    SetWindowTextW(m_message->hwnd(), L"");
    m_message->set_background(argb(kBodyColour));
    m_message->set_font_name(lf.lfFaceName);
    m_message->set_font_size(10);
    m_message->set_line_spacing(1.3f);
    return true;
}

HWND CSCMessageBox::button(int result_id) const
{
    return result_id >= 1 && result_id <= 11 ? m_buttons[result_id] : nullptr;
}

std::wstring CSCMessageBox::caption_text() const
{
    return message_box_caption(m_title, m_seconds_left);
}

void CSCMessageBox::set_title(const std::wstring& title)
{
    m_title = title;
    if (m_hwnd) {
        SetWindowTextW(m_hwnd, title.c_str());
        InvalidateRect(m_hwnd, nullptr, FALSE);
    }
}

void CSCMessageBox::find_owner()
{
    // Only windows of this process may own the box.
    HWND candidates[] = {m_owner, GetParent(m_hwnd), application_main_window(), GetActiveWindow()};
    HWND owner = nullptr;
    for (HWND candidate : candidates) {
        if (candidate && candidate != m_hwnd && same_process(candidate)) {
            owner = candidate;
            break;
        }
    }
    m_owner = owner;
    SetWindowLongPtrW(m_hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(m_owner));
}

void CSCMessageBox::lay_out(const std::wstring& text)
{
    const int caption = scale(24);
    const int margin = scale(20);
    const int button_w = scale(84), button_h = scale(28), button_gap = scale(8);
    const unsigned icon = message_box_icon(m_style);
    const int icon_size = icon ? GetSystemMetrics(SM_CXICON) : 0;
    const int icon_space = icon ? icon_size + scale(14) : 0;

    // Measure the text in a wide area, then hold it between 240 and 800 pixels.
    SetWindowPos(m_message->hwnd(), nullptr, 0, 0, scale(800), scale(2000), SWP_NOZORDER | SWP_NOACTIVATE);
    m_message->set_alignment(0);
    m_message->set_vertical(0);
    // Through the window text, which the control reads as markup: the text is
    // then also there for screen readers and UI automation.
    SetWindowTextW(m_message->hwnd(), text.c_str());
    RECT measured = m_message->text_rect();
    const int text_w = std::clamp<int>(measured.right - measured.left + scale(2), scale(240), scale(800));
    const int text_h = std::max<int>(measured.bottom - measured.top, icon_size);

    const std::vector<int> ids = message_box_buttons(m_style);
    const int row_w = static_cast<int>(ids.size()) * button_w + static_cast<int>(ids.size() - 1) * button_gap;
    const int box_w = std::max(margin + icon_space + text_w + margin, row_w + 2 * margin);
    const int box_h = std::max(caption + margin + text_h + margin + button_h + scale(16), scale(160));

    SetWindowPos(m_hwnd, nullptr, 0, 0, box_w, box_h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int text_top = caption + margin;
    const int text_bottom = box_h - scale(16) - button_h - margin / 2;
    SetWindowPos(m_message->hwnd(), nullptr, margin + icon_space, text_top, box_w - 2 * margin - icon_space,
                 text_bottom - text_top, SWP_NOZORDER | SWP_NOACTIVATE);
    m_message->set_alignment((m_text_format & DT_CENTER) ? 1 : (m_text_format & DT_RIGHT) ? 2 : 0);
    m_message->set_vertical(4);
    m_icon_rect = RECT{margin, text_top + (text_bottom - text_top - icon_size) / 2, margin + icon_size,
                      text_top + (text_bottom - text_top - icon_size) / 2 + icon_size};

    for (int id = 1; id <= 11; ++id)
        ShowWindow(m_buttons[id], SW_HIDE);
    int x = (box_w - row_w) / 2;
    const int y = box_h - scale(16) - button_h;
    for (int id : ids) {
        SetWindowPos(m_buttons[id], nullptr, x, y, button_w, button_h, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(m_buttons[id], SW_SHOW);
        x += button_w + button_gap;
    }
}

void CSCMessageBox::prepare(const std::wstring& text, UINT style, int time_limit)
{
    if (!m_hwnd)
        create(nullptr, std::wstring(), 0, m_modal);
    find_owner();
    KillTimer(m_hwnd, kCountdownTimer);
    m_result = -1;
    m_style = style;
    if (!text.empty())
        lay_out(text);

    if (m_centre_on_owner)
        centre_window(m_hwnd, m_owner);
    bool topmost = m_owner && (GetWindowLongPtrW(m_owner, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(m_hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
    SetFocus(m_hwnd);

    m_seconds_left = time_limit;
    if (m_seconds_left > 0)
        SetTimer(m_hwnd, kCountdownTimer, 1000, nullptr);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

int CSCMessageBox::show(const std::wstring& text, UINT style, int time_limit)
{
    // The box's loop must run on the thread its window belongs to: a loop on
    // another thread would never see the box's messages, and nothing could
    // close it. A worker's call waits here for the answer.
    if (off_thread()) {
        int result = -1;
        run_on_window_thread([&] { result = show(text, style, time_limit); });
        return result;
    }
    m_modal = true;
    prepare(text, style, time_limit);
    HWND owner = m_owner;
    DisabledOwner disabled_owner(owner);
    const bool quit = run_modal_loop([&] { return m_result >= 0; },
                                     [&](MSG& msg) { return pre_translate(msg); }) == ModalEnd::quit;
    KillTimer(m_hwnd, kCountdownTimer);
    m_seconds_left = 0;
    // Enable the owner before hiding so that activation returns to it.
    disabled_owner.restore();
    ShowWindow(m_hwnd, SW_HIDE);
    if (owner && IsWindow(owner))
        SetActiveWindow(owner);
    return quit ? -1 : m_result;
}

void CSCMessageBox::show_modeless(const std::wstring& text, UINT style, int time_limit)
{
    m_modal = false;
    prepare(text, style, time_limit);
}

bool CSCMessageBox::pre_translate(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN || !(msg.hwnd == m_hwnd || IsChild(m_hwnd, msg.hwnd)))
        return false;
    if (msg.wParam == VK_RETURN) {
        answer(message_box_enter_result(m_style));
        return true;
    }
    if (msg.wParam == VK_ESCAPE) {
        answer(message_box_escape_result);
        return true;
    }
    return false;
}

void CSCMessageBox::answer(int result_id)
{
    m_result = result_id;
    if (!m_modal) {
        KillTimer(m_hwnd, kCountdownTimer);
        m_seconds_left = 0;
        ShowWindow(m_hwnd, SW_HIDE);
        if (m_owner && IsWindow(m_owner))
            SendMessageW(m_owner, answer_message(), reinterpret_cast<WPARAM>(m_hwnd), result_id);
    }
}

void CSCMessageBox::paint(HDC target)
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    BufferedPaint buffer(m_hwnd, target, client);
    const HDC dc = buffer.dc();
    fill_rect(dc, client, kBodyColour);

    RECT caption = {0, 0, client.right, scale(24)};
    fill_rect(dc, caption, kCaptionColour);
    int text_left = scale(8);
    if (m_caption_icon) {
        int size = scale(16);
        DrawIconEx(dc, scale(8), (caption.bottom - size) / 2, m_caption_icon.get(), size, size, 0, nullptr, DI_NORMAL);
        text_left = scale(32);
    }
    RECT caption_text_rect = {text_left, 0, client.right - scale(8), caption.bottom};
    {
        SelectedObject font(dc, m_font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0x30, 0x30, 0x30));
        std::wstring text = caption_text();
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &caption_text_rect,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    }

    unsigned icon = message_box_icon(m_style);
    if (icon) {
        HICON handle = m_style_icons[(icon >> 4) - 1];
        DrawIconEx(dc, m_icon_rect.left, m_icon_rect.top, handle, m_icon_rect.right - m_icon_rect.left,
                   m_icon_rect.bottom - m_icon_rect.top, 0, nullptr, DI_NORMAL);
    }

    frame_rect(dc, client, kBorderColour);
}

void CSCMessageBox::draw_button(const DRAWITEMSTRUCT& item)
{
    const int id = static_cast<int>(item.CtlID) - message_box_button_id_base;
    const std::vector<int> ids = message_box_buttons(m_style);
    const bool is_default = !ids.empty() && ids.front() == id;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    HDC dc = item.hDC;
    RECT r = item.rcItem;

    fill_rect(dc, r, kBodyColour);
    COLORREF fill = is_default ? kDefaultButton : kOtherButton;
    if (pressed)
        fill = RGB(GetRValue(fill) * 85 / 100, GetGValue(fill) * 85 / 100, GetBValue(fill) * 85 / 100);
    {
        OwnedBrush brush(CreateSolidBrush(fill));
        OwnedPen pen(CreatePen(PS_SOLID, 1, fill));
        SelectedObject selected_brush(dc, brush.get());
        SelectedObject selected_pen(dc, pen.get());
        RoundRect(dc, r.left, r.top, r.right, r.bottom, scale(6), scale(6));
    }

    std::wstring label = message_box_label(id, m_korean);
    SelectedObject font(dc, m_font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, is_default ? RGB(255, 255, 255) : RGB(0x30, 0x30, 0x30));
    DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT CSCMessageBox::WndProc(UINT msg, WPARAM wparam, LPARAM lparam)
{
    LRESULT reflected = 0;
    if (reflect_to_control(m_hwnd, msg, wparam, lparam, reflected))
        return reflected;
    LRESULT painted = 0;
    if (handle_own_paint(m_hwnd, msg, wparam, [this](HDC dc) { paint(dc); }, painted))
        return painted;
    switch (msg) {
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
        if (item->CtlType == ODT_BUTTON) {
            draw_button(*item);
            return TRUE;
        }
        break;
    }
    case WM_COMMAND: {
        int id = LOWORD(wparam) - message_box_button_id_base;
        if (HIWORD(wparam) == BN_CLICKED && id >= 1 && id <= 11) {
            answer(id);
            return 0;
        }
        break;
    }
    case WM_KEYDOWN:
        // Reached only without the modal loop (the loop takes these keys first).
        if (wparam == VK_RETURN || wparam == VK_ESCAPE) {
            answer(wparam == VK_RETURN ? message_box_enter_result(m_style) : message_box_escape_result);
            return 0;
        }
        break;
    case WM_TIMER:
        if (wparam == kCountdownTimer) {
            RECT caption = {0, 0, 0, scale(24)};
            RECT client;
            GetClientRect(m_hwnd, &client);
            caption.right = client.right;
            InvalidateRect(m_hwnd, &caption, FALSE);
            if (--m_seconds_left <= 0) {
                KillTimer(m_hwnd, kCountdownTimer);
                m_seconds_left = 0;
                answer(IDOK);
            }
            return 0;
        }
        break;
    case WM_NCHITTEST: {
        // The caption bar drags the box.
        POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        ScreenToClient(m_hwnd, &p);
        if (p.y >= 0 && p.y < scale(24))
            return HTCAPTION;
        return HTCLIENT;
    }
    case WM_CLOSE:
        answer(message_box_escape_result);
        return 0;
    default:
        break;
    }
    return default_proc(msg, wparam, lparam);
}
