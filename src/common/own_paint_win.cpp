#include "common/own_paint_win.h"

BufferedPaint::BufferedPaint(HWND, HDC target, const RECT& rc) : m_target(target), m_rc(rc), m_memory(target)
{
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0 || !m_memory)
        return;
    m_bitmap.reset(CreateCompatibleBitmap(target, w, h));
    if (!m_bitmap)
        return;
    m_selected.emplace(m_memory.get(), m_bitmap.get());
    SetViewportOrgEx(m_memory.get(), -rc.left, -rc.top, nullptr);
}

BufferedPaint::~BufferedPaint()
{
    if (!m_selected)
        return;
    SetViewportOrgEx(m_memory.get(), 0, 0, nullptr);
    BitBlt(m_target, m_rc.left, m_rc.top, m_rc.right - m_rc.left, m_rc.bottom - m_rc.top, m_memory.get(), 0, 0,
           SRCCOPY);
}

void fill_rect(HDC dc, const RECT& rc, std::uint32_t colour)
{
    const COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

void frame_rect(HDC dc, const RECT& rc, std::uint32_t colour)
{
    const COLORREF old = SetDCBrushColor(dc, colour);
    FrameRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(dc, old);
}
