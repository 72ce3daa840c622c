#include "widgets/widget_window_win.h"

#include <commctrl.h>

#include <mutex>

namespace {

const UINT_PTR k_subclass_id = 0x53435749;  // one subclass per control window
const UINT_PTR k_repaint_timer = 0x5C17;    // the repaint pacer's wait

UINT invoke_message()
{
    static const UINT message = RegisterWindowMessageW(L"CSCWidget_Invoke");
    return message;
}

}  // namespace

int window_dpi(HWND hwnd)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static GetDpiForWindowFn get_dpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (get_dpi && hwnd) {
        UINT dpi = get_dpi(hwnd);
        if (dpi > 0)
            return static_cast<int>(dpi);
    }
    return 96;
}

CSCWidget::~CSCWidget()
{
    release_window();
}

bool CSCWidget::create(HWND parent, const RECT& rect, UINT id)
{
    if (hwnd_)
        return false;
    static std::once_flag controls_once;
    std::call_once(controls_once, [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
    });
    HWND hwnd = CreateWindowExW(0, class_name(), L"", WS_CHILD | WS_VISIBLE | create_style(), rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        return false;
    if (!attach(hwnd)) {
        DestroyWindow(hwnd);
        return false;
    }
    owns_window_ = true;
    return true;
}

bool CSCWidget::attach(HWND hwnd)
{
    if (hwnd_ || !hwnd || !IsWindow(hwnd))
        return false;
    if (!SetWindowSubclass(hwnd, subclass_proc, k_subclass_id, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    hwnd_ = hwnd;
    if (watches_parent()) {
        HWND parent = GetParent(hwnd);
        if (parent && SetWindowSubclass(parent, parent_subclass_proc, reinterpret_cast<UINT_PTR>(this),
                                        reinterpret_cast<DWORD_PTR>(this)))
            parent_ = parent;
    }
    on_attached();
    return true;
}

void CSCWidget::detach()
{
    release_window();
}

void CSCWidget::release_window()
{
    if (parent_) {
        RemoveWindowSubclass(parent_, parent_subclass_proc, reinterpret_cast<UINT_PTR>(this));
        parent_ = nullptr;
    }
    if (hwnd_) {
        HWND hwnd = hwnd_;
        RemoveWindowSubclass(hwnd, subclass_proc, k_subclass_id);
        hwnd_ = nullptr;
        if (owns_window_ && IsWindow(hwnd))
            DestroyWindow(hwnd);
    }
    owns_window_ = false;
}

int CSCWidget::dpi() const
{
    return window_dpi(hwnd_);
}

int CSCWidget::scale(int pixels) const
{
    return MulDiv(pixels, dpi(), 96);
}

LRESULT CSCWidget::default_proc(UINT msg, WPARAM wparam, LPARAM lparam)
{
    return DefSubclassProc(hwnd_, msg, wparam, lparam);
}

bool CSCWidget::off_thread() const
{
    return hwnd_ && GetWindowThreadProcessId(hwnd_, nullptr) != GetCurrentThreadId();
}

void CSCWidget::run_on_window_thread(const std::function<void()>& fn)
{
    if (!hwnd_)
        return;
    if (!off_thread()) {
        fn();
        return;
    }
    // The window's thread runs the call while this thread waits in SendMessage.
    SendMessageW(hwnd_, invoke_message(), 0, reinterpret_cast<LPARAM>(&fn));
}

void CSCWidget::repaint_soon()
{
    if (!hwnd_)
        return;
    const std::optional<std::uint32_t> wait = repaint_pacer_.on_change(GetTickCount());
    if (!wait)
        return;
    if (*wait == 0 || !SetTimer(hwnd_, k_repaint_timer, *wait, nullptr))
        repaint_tick();
}

void CSCWidget::flush_repaint()
{
    run_on_window_thread([&] {
        if (repaint_pacer_.waiting())
            repaint_tick();
    });
}

void CSCWidget::repaint_tick()
{
    if (repaint_pacer_.waiting())
        KillTimer(hwnd_, k_repaint_timer);
    repaint_pacer_.on_repaint(GetTickCount());
    on_repaint_tick();
}

void CSCWidget::on_repaint_tick()
{
    InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT CALLBACK CSCWidget::subclass_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                          DWORD_PTR data)
{
    CSCWidget* self = reinterpret_cast<CSCWidget*>(data);
    if (msg == invoke_message() && lparam) {
        (*reinterpret_cast<const std::function<void()>*>(lparam))();
        return 0;
    }
    if (msg == WM_TIMER && wparam == k_repaint_timer) {
        self->repaint_tick();
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        LRESULT result = DefSubclassProc(hwnd, msg, wparam, lparam);
        self->owns_window_ = false;  // the window is gone: nothing left to destroy
        self->release_window();
        return result;
    }
    return self->wnd_proc(msg, wparam, lparam);
}

LRESULT CALLBACK CSCWidget::parent_subclass_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                                 DWORD_PTR data)
{
    CSCWidget* self = reinterpret_cast<CSCWidget*>(data);
    LRESULT result = 0;
    if (self->hwnd_ && self->parent_proc(msg, wparam, lparam, result))
        return result;
    return DefSubclassProc(hwnd, msg, wparam, lparam);
}
