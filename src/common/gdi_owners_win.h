// Owners of what GDI and COM hand out: each gives back what it holds when it
// goes, so that no function pairs a Create with a Delete, a Select with its
// undo, or CoInitialize with CoUninitialize by hand. Move-only.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

// A handle given back with `Free` when its owner goes or takes another.
template <typename Handle, typename Free>
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : m_handle(handle) {}
    OwnedHandle(OwnedHandle&& other) noexcept : m_handle(other.release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() { reset(); }

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    // Gives back what it holds and takes `handle` instead.
    void reset(Handle handle = nullptr)
    {
        if (m_handle)
            Free()(m_handle);
        m_handle = handle;
    }
    Handle release() { return std::exchange(m_handle, nullptr); }

private:
    Handle m_handle = nullptr;
};

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DestroyIconHandle {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};

// A font, brush, pen, bitmap or region, deleted with DeleteObject.
template <typename Handle>
using GdiObject = OwnedHandle<Handle, DeleteGdiObject>;
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
using OwnedIcon = OwnedHandle<HICON, DestroyIconHandle>;

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
