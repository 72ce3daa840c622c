#include "gui_support_win.h"

#include "framework/wnd_win.h"

#include <algorithm>

namespace {

LRESULT CALLBACK host_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    // A plain window hosting our controls hands them their notifications.
    LRESULT result = 0;
    if (reflect_to_control(hwnd, msg, wparam, lparam, result))
        return result;
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

const wchar_t* host_class()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc = {sizeof(wc)};
        wc.lpfnWndProc = host_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"VantuWidgetTestHost";
        RegisterClassExW(&wc);
        registered = true;
    }
    return L"VantuWidgetTestHost";
}

}  // namespace

TestHostWindow::TestHostWindow(const wchar_t* title, int width, int height)
{
    m_hwnd = CreateWindowExW(0, host_class(), title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, width, height,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(m_hwnd, SW_SHOW);
    UpdateWindow(m_hwnd);
}

TestHostWindow::~TestHostWindow()
{
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

ClientCapture::ClientCapture(HWND hwnd)
{
    RECT client;
    GetClientRect(hwnd, &client);
    m_width = client.right;
    m_height = client.bottom;
    HDC window_dc = GetDC(hwnd);
    m_dc = CreateCompatibleDC(window_dc);
    m_bitmap = CreateCompatibleBitmap(window_dc, std::max(m_width, 1), std::max(m_height, 1));
    ReleaseDC(hwnd, window_dc);
    m_old = SelectObject(m_dc, m_bitmap);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m_dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
}

ClientCapture::~ClientCapture()
{
    SelectObject(m_dc, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
}

unsigned ClientCapture::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    COLORREF c = GetPixel(m_dc, x, y);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
