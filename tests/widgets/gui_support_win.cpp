#include "gui_support_win.h"

#include "widgets/widget_window_win.h"

#include <gdiplus.h>

#include <algorithm>
#include <memory>
#include <vector>

bool pump_until(const std::function<bool()>& condition, DWORD timeout_ms)
{
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    while (!condition()) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return condition();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)),
                                  QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

void pump_pending()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

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

bool png_encoder(CLSID& clsid)
{
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, codecs);
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

std::wstring env(const wchar_t* name)
{
    wchar_t buffer[1024];
    DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
    return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
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

std::wstring artifacts_dir()
{
    std::wstring dir = env(L"VANTU_ARTIFACTS_DIR");
    if (dir.empty()) {
        std::wstring source = env(L"VANTU_SOURCE_DIR");
        if (source.empty())
            return std::wstring();
        dir = source + L"/build/artifacts";
    }
    // Unix paths reach the Wine process as they are; Z: is the Unix root there.
    if (!dir.empty() && dir[0] == L'/') {
        dir = L"Z:" + dir;
        for (wchar_t& c : dir) {
            if (c == L'/')
                c = L'\\';
        }
    }
    return dir;
}

bool save_screenshot(HWND hwnd, const std::wstring& name)
{
    std::wstring dir = artifacts_dir();
    if (dir.empty() || !ensure_gdiplus())
        return false;
    CreateDirectoryW(dir.c_str(), nullptr);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    pump_pending();
    GdiFlush();

    RECT rect;
    GetWindowRect(hwnd, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    bool saved = false;
    CLSID clsid;
    if (png_encoder(clsid)) {
        std::unique_ptr<Gdiplus::Bitmap> image(Gdiplus::Bitmap::FromHBITMAP(bitmap, nullptr));
        std::wstring path = dir + L"\\" + name + L".png";
        saved = image && image->Save(path.c_str(), &clsid, nullptr) == Gdiplus::Ok;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}
