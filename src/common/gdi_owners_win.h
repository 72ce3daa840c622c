// Owners of what GDI and COM hand out: each gives back what it holds when it
// goes, so that no function pairs a Create with a Delete, a Select with its
// undo, or CoInitialize with CoUninitialize by hand. Move-only.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

// A font, brush, pen, bitmap or region, deleted with DeleteObject.
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : m_handle(handle) {}
    GdiObject(GdiObject&& other) noexcept : m_handle(other.release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(); }

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    // Deletes what it holds and takes `handle` instead.
    void reset(Handle handle = nullptr)
    {
        if (m_handle)
            DeleteObject(m_handle);
        m_handle = handle;
    }
    Handle release() { return std::exchange(m_handle, nullptr); }

private:
    Handle m_handle = nullptr;
};

using OwnedFont = GdiObject<HFONT>;
using OwnedBrush = GdiObject<HBRUSH>;
using OwnedPen = GdiObject<HPEN>;
using OwnedBitmap = GdiObject<HBITMAP>;
using OwnedRegion = GdiObject<HRGN>;

// An object selected into a device context for one scope; the one it replaced
// comes back at the end. Selecting nothing leaves the context alone.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject()
    {
        if (m_previous)
            SelectObject(m_dc, m_previous);
    }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A memory device context compatible with `reference` (the screen when null).
class MemoryDc {
public:
    explicit MemoryDc(HDC reference) : m_dc(CreateCompatibleDC(reference)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc()
    {
        if (m_dc)
            DeleteDC(m_dc);
    }
    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HDC m_dc;
};

// A window's device context (the screen's for a null window), released at the end.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : m_hwnd(hwnd), m_dc(GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (m_dc)
            ReleaseDC(m_hwnd, m_dc);
    }
    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// An icon made for this program (not a shared one from LoadIcon), destroyed at the end.
class OwnedIcon {
public:
    OwnedIcon() = default;
    explicit OwnedIcon(HICON icon) : m_icon(icon) {}
    OwnedIcon(OwnedIcon&& other) noexcept : m_icon(std::exchange(other.m_icon, nullptr)) {}
    OwnedIcon& operator=(OwnedIcon&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.m_icon, nullptr));
        return *this;
    }
    OwnedIcon(const OwnedIcon&) = delete;
    OwnedIcon& operator=(const OwnedIcon&) = delete;
    ~OwnedIcon() { reset(); }

    HICON get() const { return m_icon; }
    explicit operator bool() const { return m_icon != nullptr; }
    void reset(HICON icon = nullptr)
    {
        if (m_icon)
            DestroyIcon(m_icon);
        m_icon = icon;
    }

private:
    HICON m_icon = nullptr;
};

// COM on this thread for one scope (apartment-threaded, as the shell wants).
// Uninitialises only what its own call initialised.
class ComInitialisation {
public:
    ComInitialisation() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComInitialisation(const ComInitialisation&) = delete;
    ComInitialisation& operator=(const ComInitialisation&) = delete;
    ~ComInitialisation()
    {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    bool ok() const { return SUCCEEDED(m_result); }

private:
    HRESULT m_result;
};
