// Helpers of the window tests: a top-level host window, waiting on a condition
// while messages flow, and screenshots into build/artifacts.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Dispatches messages until `condition` holds or `timeout_ms` passes; returns the condition.
bool pump_until(const std::function<bool()>& condition, DWORD timeout_ms = 10000);
// Dispatches what is queued now and lets pending paints happen.
void pump_pending();

// A visible top-level window to put controls on; destroyed with the object.
class TestHostWindow {
public:
    TestHostWindow(const wchar_t* title, int width, int height);
    ~TestHostWindow();
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// The client area of a window as the window paints it into a bitmap
// (WM_PRINTCLIENT), so other windows on the display cannot cover it.
class ClientCapture {
public:
    explicit ClientCapture(HWND hwnd);
    ~ClientCapture();
    // 0xRRGGBB of a client pixel; 0 outside.
    unsigned pixel(int x, int y) const;
    int width() const { return width_; }
    int height() const { return height_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    int width_ = 0, height_ = 0;
};

// Folder for screenshots: $VANTU_ARTIFACTS_DIR, else <source>/build/artifacts.
std::wstring artifacts_dir();
// Saves what the screen shows of the window as <artifacts>/<name>.png; false on failure.
bool save_screenshot(HWND hwnd, const std::wstring& name);
