#include "widgets/theme/gdi_button_win.h"

#include "framework/dialog_win.h"
#include "widgets/theme/gdi_helpers_win.h"
#include "widgets/theme/theme_colours.h"

#include <algorithm>

bool CGdiButton::create(HWND parent, const RECT& rc, int id, const std::wstring& text)
{
    CreateArgs args;
    args.parent = parent;
    args.class_name = L"BUTTON";
    args.text = text;
    args.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
    args.rect = rc;
    args.id = id;
    HWND h = CreateWindowExW(0, L"BUTTON", text.c_str(), args.style, rc.left, rc.top, rc.right - rc.left,
                             rc.bottom - rc.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    return adopt_created(h, [this](HWND w) { return attach(w); });
}

bool CGdiButton::attach(HWND hwnd)
{
    if (!Wnd::attach(hwnd))
        return false;
    make_owner_drawn();
    rebuild_font();
    return true;
}

void CGdiButton::make_owner_drawn()
{
    LONG_PTR style = GetWindowLongPtrW(m_hwnd, GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW;
    SetWindowLongPtrW(m_hwnd, GWL_STYLE, style);
}

void CGdiButton::rebuild_font()
{
    if (!m_hwnd)
        return;
    m_font = create_point_font(m_hwnd, default_theme().font_name, m_points, m_weight);
    invalidate();
}

void CGdiButton::set_colours(std::uint32_t back, std::uint32_t text, std::uint32_t hot, std::uint32_t down)
{
    m_back = back;
    m_text = text;
    m_hot = hot;
    m_down = down;
    invalidate();
}

void CGdiButton::set_disabled_colours(std::uint32_t back, std::uint32_t text)
{
    m_disabled_back = back;
    m_disabled_text = text;
    invalidate();
}

void CGdiButton::set_text_font(int points, int weight)
{
    m_points = points;
    m_weight = weight;
    rebuild_font();
}

bool CGdiButton::on_reflect(UINT msg, WPARAM, LPARAM lp, LRESULT& result)
{
    if (msg != WM_DRAWITEM)
        return false;
    draw(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
    result = TRUE;
    return true;
}

LRESULT CGdiButton::WndProc(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!m_hover) {
            m_hover = true;
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, m_hwnd, 0};
            TrackMouseEvent(&tme);
            invalidate();
        }
        break;
    case WM_MOUSELEAVE:
        m_hover = false;
        invalidate();
        break;
    case WM_ENABLE:
    case WM_SETTEXT: {
        LRESULT r = default_proc(msg, wp, lp);
        invalidate();
        return r;
    }
    case WM_DPICHANGED_AFTERPARENT:
        rebuild_font();
        break;
    case WM_ERASEBKGND:
        return 1;
    default:
        break;
    }
    return default_proc(msg, wp, lp);
}

void CGdiButton::draw(const DRAWITEMSTRUCT& dis)
{
    RECT rc = dis.rcItem;
    BufferedPaint paint(m_hwnd, dis.hDC, rc);
    HDC dc = paint.dc();
    bool disabled = (dis.itemState & ODS_DISABLED) != 0;
    bool pressed = (dis.itemState & ODS_SELECTED) != 0;
    std::uint32_t back = disabled ? m_disabled_back : pressed ? m_down : m_hover ? m_hot : m_back;
    std::uint32_t fore = disabled ? m_disabled_text : m_text;
    fill_rect(dc, rc, back);

    if (m_glyph != Glyph::none) {
        int w = rc.right - rc.left, h = rc.bottom - rc.top;
        int s = std::max(4, std::min(w, h) / 3);
        int cx = rc.left + w / 2, cy = rc.top + h / 2;
        OwnedPen pen(CreatePen(PS_SOLID, std::max(1, scale(1)), fore));
        SelectedObject selected_pen(dc, pen.get());
        switch (m_glyph) {
        case Glyph::minimise:
            MoveToEx(dc, cx - s / 2, cy + s / 3, nullptr);
            LineTo(dc, cx + s / 2 + 1, cy + s / 3);
            break;
        case Glyph::maximise: {
            SelectedObject hollow(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, cx - s / 2, cy - s / 2, cx + s / 2 + 1, cy + s / 2 + 1);
            break;
        }
        case Glyph::close:
            MoveToEx(dc, cx - s / 2, cy - s / 2, nullptr);
            LineTo(dc, cx + s / 2 + 1, cy + s / 2 + 1);
            MoveToEx(dc, cx + s / 2, cy - s / 2, nullptr);
            LineTo(dc, cx - s / 2 - 1, cy + s / 2 + 1);
            break;
        case Glyph::pin:
            Ellipse(dc, cx - s / 3, cy - s / 3, cx + s / 3, cy + s / 3);
            break;
        default:
            break;
        }
        return;
    }
    if (pressed)
        OffsetRect(&rc, 0, 1);
    draw_text(dc, text(), rc, m_font.get(), fore, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if ((dis.itemState & ODS_FOCUS) && !(dis.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = dis.rcItem;
        InflateRect(&focus, -scale(3), -scale(3));
        SetTextColor(dc, fore);
        DrawFocusRect(dc, &focus);
    }
}
