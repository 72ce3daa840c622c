// Common ground of the library's controls: a control is either created on a
// parent or attached to a control from a dialog template (subclassed by HWND),
// may watch its parent's messages for it (owner drawing, notifications), and
// runs calls from other threads on its own thread: by SendMessage when the
// caller needs an answer, queued behind SendNotifyMessage when it does not.
#pragma once

#include "common/gdiplus_startup_win.h"  // ensure_gdiplus, for the controls
#include "common/repaint_pacer.h"
#include "framework/wnd_win.h"  // window_dpi

#include <windows.h>

#include <functional>
#include <mutex>
#include <vector>

class CSCWidget {
public:
    CSCWidget() = default;
    CSCWidget(const CSCWidget&) = delete;
    CSCWidget& operator=(const CSCWidget&) = delete;
    virtual ~CSCWidget();

    // Creates the control as a visible child window with the given id.
    bool create(HWND parent, const RECT& rect, UINT id);
    // Takes over an existing control, for example one from a dialog template.
    bool attach(HWND hwnd);
    // Gives the window back to its original procedure; a created window is destroyed.
    void detach();

    HWND hwnd() const { return m_hwnd; }
    int dpi() const;
    // Pixels at 96 DPI scaled to the window's DPI.
    int scale(int pixels) const;
    // Makes a repaint that waits for its period happen now (window's thread).
    void flush_repaint();

protected:
    // The window class and styles used by create().
    virtual const wchar_t* class_name() const = 0;
    virtual DWORD create_style() const { return 0; }
    // Called once the window is attached (created or subclassed).
    virtual void on_attached() {}
    // Messages of the control itself; call default_proc for what is not handled.
    virtual LRESULT wnd_proc(UINT msg, WPARAM wparam, LPARAM lparam) { return default_proc(msg, wparam, lparam); }
    // Messages that reach the parent; return true when handled (result in `result`).
    virtual bool parent_proc(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) { return false; }
    // Whether parent_proc should see the parent's messages at all.
    virtual bool watches_parent() const { return false; }

    LRESULT default_proc(UINT msg, WPARAM wparam, LPARAM lparam);

    // True when the caller is not on the thread that owns the window.
    bool off_thread() const;
    // Runs `fn` on the window's thread (directly when already there). Does
    // nothing when there is no window.
    void run_on_window_thread(const std::function<void()>& fn);
    // Runs `fn` on the window's thread without waiting for it: a caller on
    // another thread goes on at once. Calls run in the order they were made,
    // also among run_on_window_thread calls; a caller that gets far ahead of
    // the window's thread waits for it, so the queue stays short.
    void queue_on_window_thread(std::function<void()> fn);
    // Asks for on_repaint_tick, now or once the pacer's period is over, from
    // the window's thread: changes that come faster than that share one repaint.
    void repaint_soon();
    // Invalidates what the changes since the last tick touched; by default the
    // whole control.
    virtual void on_repaint_tick();

private:
    static LRESULT CALLBACK subclass_proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK parent_subclass_proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void release_window();
    void repaint_tick();
    void run_queued();

    HWND m_hwnd = nullptr;
    HWND m_parent = nullptr;
    bool m_owns_window = false;
    RepaintPacer m_repaint_pacer;
    std::mutex m_queue_mutex;
    std::vector<std::function<void()>> m_queued;
    bool m_run_queued_sent = false;  // a message to run the queue is on its way
    bool m_running_queued = false;   // window's thread only
};
