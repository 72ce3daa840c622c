// Helpers of the window tests: a top-level host window and what a window paints.
// Waiting while messages flow and screenshots into build/artifacts come from the
// shared Windows test support.
#pragma once

#include "support/win/environment.h"
#include "support/win/screenshot.h"

#include <windows.h>

using test_support::pump_pending;
using test_support::save_screenshot;
using test_support::wait_until;

// A visible top-level window to put controls on; destroyed with the object.
class TestHostWindow {
public:
    TestHostWindow(const wchar_t* title, int width, int height);
    ~TestHostWindow();
    HWND hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
};

// The client area of a window as the window paints it into a bitmap
// (WM_PRINTCLIENT), so other windows on the display cannot cover it.
class ClientCapture {
public:
    explicit ClientCapture(HWND hwnd);
    ~ClientCapture();
    // 0xRRGGBB of a client pixel; 0 outside.
    unsigned pixel(int x, int y) const;
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    int m_width = 0, m_height = 0;
};
