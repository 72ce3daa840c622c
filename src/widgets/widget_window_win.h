// Common ground of the library's controls: a Wnd that is either created on a
// parent as a child control of its class or attached to a control from a
// dialog template, and whose repaints go through a pacer. Calls from other
// threads run on the window's thread (Wnd::run_on_window_thread when the
// caller needs an answer, Wnd::queue_on_window_thread when it does not);
// notifications its parent receives about it come through on_reflect.
#pragma once

#include "common/gdiplus_startup_win.h"  // ensure_gdiplus, for the controls
#include "common/repaint_pacer.h"
#include "framework/wnd_win.h"  // window_dpi

#include <windows.h>

class CSCWidget : public Wnd {
public:
    // Creates the control as a visible child window with the given id.
    bool create(HWND parent, const RECT& rect, UINT id);
    // Makes a repaint that waits for its period happen now (window's thread).
    void flush_repaint();

protected:
    // The window class and styles used by create().
    virtual const wchar_t* class_name() const = 0;
    virtual DWORD create_style() const { return 0; }
    // Asks for on_repaint_tick, now or once the pacer's period is over, from
    // the window's thread: changes that come faster than that share one repaint.
    void repaint_soon();
    // Invalidates what the changes since the last tick touched; by default the
    // whole control.
    virtual void on_repaint_tick();

private:
    // The repaint timer is the widget's own: its members never see it.
    bool pre_dispatch(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) final;
    void repaint_tick();

    RepaintPacer m_repaint_pacer;
};
