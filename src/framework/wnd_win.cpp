#include "framework/wnd_win.h"

#include "common/gdi_owners_win.h"

#include <commctrl.h>

#include <vector>

namespace {

const wchar_t kWndProp[] = L"VantuWnd";
const wchar_t kDefaultClass[] = L"VantuWindow";

bool register_class(const CreateArgs& args, const std::wstring& name, WNDPROC proc)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, name.c_str(), &existing))
        return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = args.class_style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = args.cursor ? args.cursor : LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;
    wc.lpszClassName = name.c_str();
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

int window_dpi(HWND hwnd)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static auto fn = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = 0;
    if (fn && hwnd)
        dpi = fn(hwnd);
    if (dpi == 0) {
        WindowDc screen(nullptr);
        dpi = static_cast<UINT>(GetDeviceCaps(screen.get(), LOGPIXELSY));
    }
    return dpi ? static_cast<int>(dpi) : 96;
}

Wnd::~Wnd()
{
    if (m_hwnd) {
        HWND h = m_hwnd;
        // Windows of our own class are always ours; a control is ours when we made it.
        const bool ours = !m_subclassed || m_owns_window;
        if (m_subclassed)
            detach();
        else
            unbind();
        if (ours && IsWindow(h))
            DestroyWindow(h);
    }
}

Wnd* Wnd::from_handle(HWND hwnd)
{
    return hwnd ? static_cast<Wnd*>(GetPropW(hwnd, kWndProp)) : nullptr;
}

void Wnd::bind(HWND hwnd)
{
    m_hwnd = hwnd;
    SetPropW(hwnd, kWndProp, this);
}

void Wnd::unbind()
{
    if (m_hwnd)
        RemovePropW(m_hwnd, kWndProp);
    m_hwnd = nullptr;
    m_owns_window = false;
}

bool Wnd::create(const CreateArgs& args)
{
    if (m_hwnd)
        return false;
    bool own_class = args.class_name.empty();
    if (own_class && !register_class(args, kDefaultClass, class_proc))
        return false;
    std::wstring cls = own_class ? std::wstring(kDefaultClass) : args.class_name;
    HWND h = CreateWindowExW(args.ex_style, cls.c_str(), args.text.c_str(), args.style, args.rect.left,
                             args.rect.top, args.rect.right - args.rect.left, args.rect.bottom - args.rect.top,
                             args.parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)),
                             GetModuleHandleW(nullptr), own_class ? this : nullptr);
    if (!h)
        return false;
    // A system class (a control) keeps its own procedure; ours runs in front of it.
    if (!own_class && !attach(h)) {
        DestroyWindow(h);
        return false;
    }
    m_owns_window = true;
    return true;
}

bool Wnd::attach(HWND hwnd)
{
    if (!hwnd || m_hwnd || from_handle(hwnd))
        return false;
    bind(hwnd);
    if (!SetWindowSubclass(hwnd, subclass_proc, 1, reinterpret_cast<DWORD_PTR>(this))) {
        unbind();
        return false;
    }
    m_subclassed = true;
    return true;
}

void Wnd::detach()
{
    if (m_hwnd && m_subclassed)
        RemoveWindowSubclass(m_hwnd, subclass_proc, 1);
    m_subclassed = false;
    unbind();
}

void Wnd::destroy()
{
    if (m_hwnd && IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
}

LRESULT CALLBACK Wnd::class_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    Wnd* self = from_handle(hwnd);
    if (!self && msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        self = static_cast<Wnd*>(cs->lpCreateParams);
        if (self)
            self->bind(hwnd);
    }
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    return self->dispatch(msg, wp, lp);
}

LRESULT CALLBACK Wnd::subclass_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data)
{
    auto* self = reinterpret_cast<Wnd*>(data);
    if (!self || self->m_hwnd != hwnd)
        return DefSubclassProc(hwnd, msg, wp, lp);
    return self->dispatch(msg, wp, lp);
}

LRESULT Wnd::dispatch(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCDESTROY) {
        LRESULT r = default_proc(msg, wp, lp);
        if (m_subclassed)
            RemoveWindowSubclass(m_hwnd, subclass_proc, 1);
        m_subclassed = false;
        unbind();
        on_final_destroy();
        return r;
    }
    return WndProc(msg, wp, lp);
}

LRESULT Wnd::WndProc(UINT msg, WPARAM wp, LPARAM lp)
{
    return default_proc(msg, wp, lp);
}

LRESULT Wnd::default_proc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (m_subclassed)
        return DefSubclassProc(m_hwnd, msg, wp, lp);
    return DefWindowProcW(m_hwnd, msg, wp, lp);
}

void Wnd::set_text(const std::wstring& text)
{
    if (m_hwnd)
        SetWindowTextW(m_hwnd, text.c_str());
}

std::wstring Wnd::text() const
{
    if (!m_hwnd)
        return {};
    int n = GetWindowTextLengthW(m_hwnd);
    std::vector<wchar_t> buf(static_cast<size_t>(n) + 1);
    int got = GetWindowTextW(m_hwnd, buf.data(), n + 1);
    return std::wstring(buf.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void Wnd::show(bool visible)
{
    if (m_hwnd)
        ShowWindow(m_hwnd, visible ? SW_SHOW : SW_HIDE);
}

bool Wnd::visible() const
{
    return m_hwnd && IsWindowVisible(m_hwnd);
}

void Wnd::enable(bool enabled)
{
    if (m_hwnd)
        EnableWindow(m_hwnd, enabled);
}

bool Wnd::enabled() const
{
    return m_hwnd && IsWindowEnabled(m_hwnd);
}

void Wnd::invalidate(bool erase)
{
    if (m_hwnd)
        InvalidateRect(m_hwnd, nullptr, erase);
}

void Wnd::move(const RECT& rc, bool repaint)
{
    if (m_hwnd)
        MoveWindow(m_hwnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, repaint);
}

RECT Wnd::client_rect() const
{
    RECT rc{};
    if (m_hwnd)
        GetClientRect(m_hwnd, &rc);
    return rc;
}

RECT Wnd::window_rect() const
{
    RECT rc{};
    if (m_hwnd)
        GetWindowRect(m_hwnd, &rc);
    return rc;
}

int Wnd::dpi() const
{
    return window_dpi(m_hwnd);
}

int Wnd::scale(int pixels) const
{
    return MulDiv(pixels, dpi(), 96);
}
