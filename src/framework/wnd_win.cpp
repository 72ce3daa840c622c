#include "framework/wnd_win.h"

#include "common/gdi_owners_win.h"

#include <commctrl.h>

#include <vector>

namespace {

const wchar_t kWndProp[] = L"VantuWnd";
const wchar_t kDefaultClass[] = L"VantuWindow";
// Calls queued ahead of the window's thread before their caller waits for it.
const size_t kQueueLimit = 256;

UINT invoke_message()
{
    static const UINT message = RegisterWindowMessageW(L"VantuWnd_Invoke");
    return message;
}

UINT run_queued_message()
{
    static const UINT message = RegisterWindowMessageW(L"VantuWnd_RunQueued");
    return message;
}

// The control a notification to its parent is about.
HWND control_of(HWND parent, UINT msg, LPARAM lp)
{
    switch (msg) {
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        return item && item->CtlType != ODT_MENU ? item->hwndItem : nullptr;
    }
    case WM_MEASUREITEM: {
        // Sent before the control may exist as a handle: found by its id.
        auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lp);
        return item && item->CtlType != ODT_MENU ? GetDlgItem(parent, static_cast<int>(item->CtlID)) : nullptr;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lp);
        return header ? header->hwndFrom : nullptr;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return reinterpret_cast<HWND>(lp);
    default:
        return nullptr;
    }
}

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

bool reflect_to_control(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    HWND control = control_of(parent, msg, lp);
    if (!control || control == parent)
        return false;
    Wnd* target = Wnd::from_handle(control);
    return target && target->on_reflect(msg, wp, lp, result);
}

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
    release();
}

void Wnd::release()
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
    if (own_class)
        on_attached();
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
    on_attached();
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

bool Wnd::run_thread_call(UINT msg, LPARAM lp)
{
    if (msg == invoke_message() && lp) {
        (*reinterpret_cast<const std::function<void()>*>(lp))();
        return true;
    }
    if (msg == run_queued_message()) {
        run_queued();
        return true;
    }
    return false;
}

LRESULT Wnd::dispatch(UINT msg, WPARAM wp, LPARAM lp)
{
    if (run_thread_call(msg, lp))
        return 0;
    if (msg == WM_NCDESTROY) {
        LRESULT r = default_proc(msg, wp, lp);
        if (m_subclassed)
            RemoveWindowSubclass(m_hwnd, subclass_proc, 1);
        m_subclassed = false;
        {
            std::lock_guard<std::mutex> lock(m_queue_mutex);
            m_queued.clear();  // calls for a window that is gone
            m_run_queued_sent = false;
        }
        unbind();
        on_final_destroy();
        return r;
    }
    LRESULT handled = 0;
    if (pre_dispatch(msg, wp, lp, handled))
        return handled;
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

bool Wnd::off_thread() const
{
    return m_hwnd && GetWindowThreadProcessId(m_hwnd, nullptr) != GetCurrentThreadId();
}

void Wnd::run_on_window_thread(const std::function<void()>& fn)
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

void Wnd::queue_on_window_thread(std::function<void()> fn)
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

void Wnd::run_queued()
{
    if (m_running_queued)
        return;  // a queued call that reaches the window again; the loop below goes on
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
