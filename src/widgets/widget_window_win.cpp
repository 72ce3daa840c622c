#include "widgets/widget_window_win.h"

#include <commctrl.h>

#include <mutex>

namespace {

const UINT_PTR kSubclassId = 0x53435749;  // one subclass per control window
const UINT_PTR kRepaintTimer = 0x5C17;    // the repaint pacer's wait

// Calls queued ahead of the window's thread before their caller waits for it.
const size_t kQueueLimit = 256;

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

CSCWidget::~CSCWidget()
{
    release_window();
}

bool CSCWidget::create(HWND parent, const RECT& rect, UINT id)
{
    if (m_hwnd)
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
    m_owns_window = true;
    return true;
}

bool CSCWidget::attach(HWND hwnd)
{
    if (m_hwnd || !hwnd || !IsWindow(hwnd))
        return false;
    if (!SetWindowSubclass(hwnd, subclass_proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_hwnd = hwnd;
    if (watches_parent()) {
        HWND parent = GetParent(hwnd);
        if (parent && SetWindowSubclass(parent, parent_subclass_proc, reinterpret_cast<UINT_PTR>(this),
                                        reinterpret_cast<DWORD_PTR>(this)))
            m_parent = parent;
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
    if (m_parent) {
        RemoveWindowSubclass(m_parent, parent_subclass_proc, reinterpret_cast<UINT_PTR>(this));
        m_parent = nullptr;
    }
    if (m_hwnd) {
        HWND hwnd = m_hwnd;
        {
            std::lock_guard<std::mutex> lock(m_queue_mutex);
            m_queued.clear();  // calls for a window that is going away
            m_run_queued_sent = false;
        }
        RemoveWindowSubclass(hwnd, subclass_proc, kSubclassId);
        m_hwnd = nullptr;
        if (m_owns_window && IsWindow(hwnd))
            DestroyWindow(hwnd);
    }
    m_owns_window = false;
}

int CSCWidget::dpi() const
{
    return window_dpi(m_hwnd);
}

int CSCWidget::scale(int pixels) const
{
    return MulDiv(pixels, dpi(), 96);
}

LRESULT CSCWidget::default_proc(UINT msg, WPARAM wparam, LPARAM lparam)
{
    return DefSubclassProc(m_hwnd, msg, wparam, lparam);
}

bool CSCWidget::off_thread() const
{
    return m_hwnd && GetWindowThreadProcessId(m_hwnd, nullptr) != GetCurrentThreadId();
}

void CSCWidget::run_on_window_thread(const std::function<void()>& fn)
{
    if (!m_hwnd)
        return;
    if (!off_thread()) {
        run_queued();  // what other threads asked for earlier comes first
        fn();
        return;
    }
    // The window's thread runs the call while this thread waits in SendMessage;
    // a message sent earlier to run the queue is handled before it.
    SendMessageW(m_hwnd, invoke_message(), 0, reinterpret_cast<LPARAM>(&fn));
}

void CSCWidget::queue_on_window_thread(std::function<void()> fn)
{
    if (!m_hwnd)
        return;
    if (!off_thread()) {
        run_queued();
        fn();
        return;
    }
    bool send = false;
    size_t queued = 0;
    {
        std::lock_guard<std::mutex> lock(m_queue_mutex);
        m_queued.push_back(std::move(fn));
        queued = m_queued.size();
        send = !m_run_queued_sent;
        m_run_queued_sent = true;
    }
    // Messages sent from one thread reach the window's thread in order, so the
    // queue runs before any later SendMessage of this thread.
    if (send)
        SendNotifyMessageW(m_hwnd, run_queued_message(), 0, 0);
    if (queued >= kQueueLimit)
        SendMessageW(m_hwnd, run_queued_message(), 0, 0);
}

void CSCWidget::run_queued()
{
    if (m_running_queued)
        return;  // a queued call that reaches the widget again; the loop below goes on
    m_running_queued = true;
    for (;;) {
        std::vector<std::function<void()>> calls;
        {
            std::lock_guard<std::mutex> lock(m_queue_mutex);
            calls.swap(m_queued);
            m_run_queued_sent = false;
        }
        if (calls.empty())
            break;
        for (const std::function<void()>& call : calls)
            call();
    }
    m_running_queued = false;
}

void CSCWidget::repaint_soon()
{
    if (!m_hwnd)
        return;
    const std::optional<std::uint32_t> wait = m_repaint_pacer.on_change(GetTickCount());
    if (!wait)
        return;
    if (*wait == 0 || !SetTimer(m_hwnd, kRepaintTimer, *wait, nullptr))
        repaint_tick();
}

void CSCWidget::flush_repaint()
{
    run_on_window_thread([&] {
        if (m_repaint_pacer.waiting())
            repaint_tick();
    });
}

void CSCWidget::repaint_tick()
{
    if (m_repaint_pacer.waiting())
        KillTimer(m_hwnd, kRepaintTimer);
    m_repaint_pacer.on_repaint(GetTickCount());
    on_repaint_tick();
}

void CSCWidget::on_repaint_tick()
{
    InvalidateRect(m_hwnd, nullptr, FALSE);
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
    if (msg == WM_TIMER && wparam == kRepaintTimer) {
        self->repaint_tick();
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        LRESULT result = DefSubclassProc(hwnd, msg, wparam, lparam);
        self->m_owns_window = false;  // the window is gone: nothing left to destroy
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
    if (self->m_hwnd && self->parent_proc(msg, wparam, lparam, result))
        return result;
    return DefSubclassProc(hwnd, msg, wparam, lparam);
}
