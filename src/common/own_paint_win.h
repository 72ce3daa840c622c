// The painting messages of a window that paints all of its client area itself,
// double-buffered: WM_PAINT, WM_PRINTCLIENT (PrintWindow and window animations
// ask for the picture this way) and WM_ERASEBKGND, which is answered "done"
// because erasing first would only make the window flicker.
#pragma once

#include "common/gdi_owners_win.h"

#include <windows.h>

#include <cstdint>
#include <optional>

// True when `msg` is one of the three, with the window's answer in `result`;
// `paint(HDC)` draws the whole client area into the given device context.
template <class Paint>
bool handle_own_paint(HWND hwnd, UINT msg, WPARAM wp, Paint&& paint, LRESULT& result)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        paint(dc);
        EndPaint(hwnd, &ps);
        result = 0;
        return true;
    }
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wp));
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    default:
        return false;
    }
}

// Double-buffered painting: paints into a memory bitmap, copies it to `target`
// on destruction. Without memory for the bitmap it paints on `target` itself.
class BufferedPaint {
public:
    BufferedPaint(HWND hwnd, HDC target, const RECT& rc);
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    ~BufferedPaint();
    HDC dc() const { return m_selected ? m_memory.get() : m_target; }

private:
    HDC m_target;
    RECT m_rc;
    MemoryDc m_memory;
    OwnedBitmap m_bitmap;
    std::optional<SelectedObject> m_selected;  // the bitmap in m_memory, while buffered
};

// Fills a rectangle with a COLORREF (no brush to make or delete).
void fill_rect(HDC dc, const RECT& rc, std::uint32_t colour);
// Draws a one-pixel frame just inside a rectangle in a COLORREF.
void frame_rect(HDC dc, const RECT& rc, std::uint32_t colour);
