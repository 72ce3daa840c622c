#include "support/win/screenshot.h"

#include "support/win/environment.h"

#include "widgets/widget_window_win.h"

#include <gdiplus.h>

#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace test_support {

namespace {

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

// The screen's pixels in `area` (screen coordinates) as <artifacts>/<name>.png.
bool save_screen_area(const RECT& area, const std::wstring& name)
{
    const std::wstring dir = artifacts_dir();
    if (dir.empty() || !ensure_gdiplus())
        return false;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(dir), ignored);

    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);

    bool saved = false;
    CLSID clsid;
    if (png_encoder(clsid)) {
        std::unique_ptr<Gdiplus::Bitmap> image(Gdiplus::Bitmap::FromHBITMAP(bitmap, nullptr));
        const std::wstring path = dir + L"\\" + name + L".png";
        saved = image && image->Save(path.c_str(), &clsid, nullptr) == Gdiplus::Ok;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

} // namespace

std::wstring artifacts_dir()
{
    std::wstring dir = env(L"VANTU_ARTIFACTS_DIR");
    if (dir.empty()) {
        const std::wstring source = env(L"VANTU_SOURCE_DIR");
        if (source.empty())
            return std::wstring();
        dir = source + L"/build/artifacts";
    }
    // Unix paths reach the Wine process as they are; Z: is the Unix root there.
    return wine_path(dir);
}

bool save_screenshot(HWND window, const std::wstring& name)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    pump_pending();
    GdiFlush();
    RECT rect;
    GetWindowRect(window, &rect);
    return save_screen_area(rect, name);
}

bool save_screen(const std::wstring& name)
{
    EnumWindows(
        [](HWND w, LPARAM) -> BOOL {
            if (IsWindowVisible(w))
                RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
            return TRUE;
        },
        0);
    return save_screen_area(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, name);
}

} // namespace test_support
