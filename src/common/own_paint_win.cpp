#include "common/own_paint_win.h"

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
