#include "widgets/theme/gdi_helpers_win.h"

#include "framework/wnd_win.h"

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}
#include <gdiplus.h>

#include <mutex>

bool gdiplus_ensure_started()
{
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        // Left running for the process's lifetime: pictures may be drawn until exit.
        started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    });
    return started;
}

HFONT create_point_font(HWND hwnd, const wchar_t* face, int points, int weight)
{
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, wnd_dpi(hwnd), 72);
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, face ? face : L"맑은 고딕", LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

void fill_rect(HDC dc, const RECT& rc, std::uint32_t colour)
{
    COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

void draw_text(HDC dc, const std::wstring& text, RECT rc, HFONT font, std::uint32_t colour, UINT flags)
{
    HGDIOBJ old_font = font ? SelectObject(dc, font) : nullptr;
    int old_mode = SetBkMode(dc, TRANSPARENT);
    COLORREF old_colour = SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags);
    SetTextColor(dc, old_colour);
    SetBkMode(dc, old_mode);
    if (old_font)
        SelectObject(dc, old_font);
}

BufferedPaint::BufferedPaint(HWND, HDC target, const RECT& rc) : m_target(target), m_rc(rc)
{
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0)
        return;
    m_mem = CreateCompatibleDC(target);
    m_bitmap = CreateCompatibleBitmap(target, w, h);
    if (!m_mem || !m_bitmap) {
        if (m_mem)
            DeleteDC(m_mem);
        if (m_bitmap)
            DeleteObject(m_bitmap);
        m_mem = nullptr;
        m_bitmap = nullptr;
        return;
    }
    m_old = SelectObject(m_mem, m_bitmap);
    SetViewportOrgEx(m_mem, -rc.left, -rc.top, nullptr);
}

BufferedPaint::~BufferedPaint()
{
    if (!m_mem)
        return;
    SetViewportOrgEx(m_mem, 0, 0, nullptr);
    BitBlt(m_target, m_rc.left, m_rc.top, m_rc.right - m_rc.left, m_rc.bottom - m_rc.top, m_mem, 0, 0, SRCCOPY);
    SelectObject(m_mem, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_mem);
}
