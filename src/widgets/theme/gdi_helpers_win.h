// Small GDI/GDI+ helpers shared by the themed controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Starts GDI+ once for the process (safe to call from any thread, any number of times).
bool gdiplus_ensure_started();

// A font of `points` at the window's DPI; the caller deletes it.
HFONT create_point_font(HWND hwnd, const wchar_t* face, int points, int weight);

// Fills a rectangle with a COLORREF.
void fill_rect(HDC dc, const RECT& rc, std::uint32_t colour);

// Draws text in a rectangle with the given DrawText flags.
void draw_text(HDC dc, const std::wstring& text, RECT rc, HFONT font, std::uint32_t colour, UINT flags);

// Double-buffered painting: paints into a memory bitmap, copies it on destruction.
class BufferedPaint {
public:
    BufferedPaint(HWND hwnd, HDC target, const RECT& rc);
    ~BufferedPaint();
    HDC dc() const { return m_mem ? m_mem : m_target; }

private:
    HDC m_target;
    RECT m_rc;
    HDC m_mem = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};
