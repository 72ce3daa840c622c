#include "gui_support_win.h"

#include <algorithm>

namespace {

LRESULT CALLBACK host_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
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
    hwnd_ = CreateWindowExW(0, host_class(), title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, width, height,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

TestHostWindow::~TestHostWindow()
{
    if (hwnd_)
        DestroyWindow(hwnd_);
}

ClientCapture::ClientCapture(HWND hwnd)
{
    RECT client;
    GetClientRect(hwnd, &client);
    width_ = client.right;
    height_ = client.bottom;
    HDC window_dc = GetDC(hwnd);
    dc_ = CreateCompatibleDC(window_dc);
    bitmap_ = CreateCompatibleBitmap(window_dc, std::max(width_, 1), std::max(height_, 1));
    ReleaseDC(hwnd, window_dc);
    old_ = SelectObject(dc_, bitmap_);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
}

ClientCapture::~ClientCapture()
{
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

unsigned ClientCapture::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    COLORREF c = GetPixel(dc_, x, y);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
