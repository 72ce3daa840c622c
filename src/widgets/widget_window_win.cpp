#include "widgets/widget_window_win.h"

#include <commctrl.h>

#include <mutex>

namespace {

const UINT_PTR k_subclass_id = 0x53435749;  // one subclass per control window
const UINT_PTR k_repaint_timer = 0x5C17;    // the repaint pacer's wait

// Calls queued ahead of the window's thread before their caller waits for it.
const size_t k_queue_limit = 256;

UINT invoke_message()
{
    static const UINT message = RegisterWindowMessageW(L"CSCWidget_Invoke");
    return message;
}

UINT run_queued_message()
{
    static const UINT message = RegisterWindowMessageW(L"CSCWidget_RunQueued");
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
        {
            std::lock_guard<std::mutex> lock(queue_mutex_);
            queued_.clear();  // calls for a window that is going away
            run_queued_sent_ = false;
        }
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
        run_queued();  // what other threads asked for earlier comes first
        fn();
        return;
    }
    // The window's thread runs the call while this thread waits in SendMessage;
    // a message sent earlier to run the queue is handled before it.
    SendMessageW(hwnd_, invoke_message(), 0, reinterpret_cast<LPARAM>(&fn));
}

void CSCWidget::queue_on_window_thread(std::function<void()> fn)
{
    if (!hwnd_)
        return;
    if (!off_thread()) {
        run_queued();
        fn();
        return;
    }
    bool send = false;
    size_t queued = 0;
    {
        std::lock_guard<std::mutex> lock(queue_mutex_);
        queued_.push_back(std::move(fn));
        queued = queued_.size();
        send = !run_queued_sent_;
        run_queued_sent_ = true;
    }
    // Messages sent from one thread reach the window's thread in order, so the
    // queue runs before any later SendMessage of this thread.
    if (send)
        SendNotifyMessageW(hwnd_, run_queued_message(), 0, 0);
    if (queued >= k_queue_limit)
        SendMessageW(hwnd_, run_queued_message(), 0, 0);
}

void CSCWidget::run_queued()
{
    if (running_queued_)
        return;  // a queued call that reaches the widget again; the loop below goes on
    running_queued_ = true;
    for (;;) {
        std::vector<std::function<void()>> calls;
        {
            std::lock_guard<std::mutex> lock(queue_mutex_);
            calls.swap(queued_);
            run_queued_sent_ = false;
        }
        if (calls.empty())
            break;
        for (const std::function<void()>& call : calls)
            call();
    }
    running_queued_ = false;
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
    if (msg == run_queued_message()) {
        self->run_queued();
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
