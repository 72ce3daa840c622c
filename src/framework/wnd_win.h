// Smallest useful window object: a HWND plus a virtual WndProc. A Wnd either
// creates its own window (class registered on first use) or subclasses an
// existing one, such as a control from a dialog template.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Creation arguments, kept in a struct so call sites name what they set.
struct CreateArgs {
    HWND parent = nullptr;
    std::wstring text;
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD ex_style = 0;
    RECT rect{0, 0, 0, 0};
    int id = 0;
    // Window class; empty means the framework's own class for custom windows.
    std::wstring class_name;
    HCURSOR cursor = nullptr;
    UINT class_style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
};


class Wnd {
public:
    Wnd() = default;
    virtual ~Wnd();
    Wnd(const Wnd&) = delete;
    Wnd& operator=(const Wnd&) = delete;

    HWND hwnd() const { return m_hwnd; }
    operator HWND() const { return m_hwnd; }
    bool exists() const { return m_hwnd != nullptr && IsWindow(m_hwnd); }

    // One ownership rule: the object destroys, when it goes, every window it
    // created, and only lets go of windows it attached.
    // Creates a window of args.class_name (or the framework's class) owned by this object.
    bool create(const CreateArgs& args);
    // Takes over an existing window: its messages reach WndProc first.
    bool attach(HWND hwnd);
    // Gives the window back its own procedure (the window stays).
    void detach();
    // What the destructor does, now: destroys a window this object created,
    // lets go of one it attached. For a derived object whose window must be
    // gone before its own members go.
    void release();
    void destroy();

    // The object behind a window handle, or null when the window is not ours.
    static Wnd* from_handle(HWND hwnd);

    // Handy wrappers, all safe on a missing window.
    void set_text(const std::wstring& text);
    std::wstring text() const;
    void show(bool visible);
    bool visible() const;
    void enable(bool enabled);
    bool enabled() const;
    void invalidate(bool erase = false);
    void move(const RECT& rc, bool repaint = true);
    RECT client_rect() const;
    RECT window_rect() const;
    int dpi() const;
    // Pixels at 96 DPI scaled to this window's DPI.
    int scale(int pixels) const;

    // Calls from other threads run on the window's thread. True when the
    // caller is not on that thread.
    bool off_thread() const;
    // Runs `fn` on the window's thread and waits for it (directly when already
    // there); nothing when there is no window.
    void run_on_window_thread(const std::function<void()>& fn);
    // Runs `fn` on the window's thread without waiting for it: a caller on
    // another thread goes on at once. Calls run in the order they were made,
    // also among run_on_window_thread calls; a caller that gets far ahead of
    // the window's thread waits for it, so the queue stays short.
    void queue_on_window_thread(std::function<void()> fn);

protected:
    // Called once a window is attached (also one made by create()).
    virtual void on_attached() {}
    // A notification about this window that its parent handed on
    // (WM_DRAWITEM, WM_MEASUREITEM, WM_NOTIFY, WM_CTLCOLOR*, with the parent's
    // wParam and lParam): true when handled, with the parent's answer in `result`.
    virtual bool on_reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }
    friend bool reflect_to_control(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    // Handles one message; call default_proc for what is not handled.
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    // Sees every message before WndProc: for a family of windows that keeps a
    // message of its own (the widgets' repaint timer) out of its members'
    // WndProc. True: handled, with `result`.
    virtual bool pre_dispatch(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }
    LRESULT default_proc(UINT msg, WPARAM wp, LPARAM lp);
    // Called after the window is gone (WM_NCDESTROY); m_hwnd is already null.
    virtual void on_final_destroy() {}
    // For a control's own create(): takes the window it just made through its
    // own attach, destroys it when that fails, and otherwise owns it.
    template <typename Attach>
    bool adopt_created(HWND created, Attach attach)
    {
        if (!created)
            return false;
        if (!attach(created)) {
            DestroyWindow(created);
            return false;
        }
        m_owns_window = true;
        return true;
    }

    // Runs a call that another thread made through run_on_window_thread or
    // queue_on_window_thread: true when `msg` was one. Every procedure of a
    // Wnd (window, subclass, dialog) asks this first.
    bool run_thread_call(UINT msg, LPARAM lp);

    // The one binding of an object to its window (a window property); a
    // dialog binds at WM_INITDIALOG and unbinds at WM_NCDESTROY.
    void bind(HWND hwnd);
    void unbind();

    HWND m_hwnd = nullptr;

private:
    void run_queued();

    bool m_subclassed = false;
    bool m_owns_window = false;
    std::mutex m_queue_mutex;
    std::vector<std::function<void()>> m_queued;
    bool m_run_queued_sent = false;  // a message to run the queue is on its way
    bool m_running_queued = false;   // window's thread only
    static LRESULT CALLBACK class_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK subclass_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                          UINT_PTR id, DWORD_PTR data);
    LRESULT dispatch(UINT msg, WPARAM wp, LPARAM lp);
};

// The one way notifications reach a control: a notification that came to
// `parent` about one of its controls (WM_DRAWITEM, WM_MEASUREITEM, WM_NOTIFY,
// WM_CTLCOLOR*) goes to that control's Wnd. True when the control handled it,
// with the answer in `result`. Dialogs do this for every message; a plain
// window procedure that hosts our controls calls it first.
bool reflect_to_control(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// The one DPI entry point. A window: its DPI. No window yet (null): the
// screen's, which a window made now would get. 96 when the system cannot tell.
int window_dpi(HWND hwnd);
