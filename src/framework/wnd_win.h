// Smallest useful window object: a HWND plus a virtual WndProc. A Wnd either
// creates its own window (class registered on first use) or subclasses an
// existing one, such as a control from a dialog template.
#pragma once

#include <windows.h>

#include <string>

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

// Controls notify their parent by WM_DRAWITEM, WM_NOTIFY, WM_CTLCOLOR...; the
// framework's dialogs hand these back to the control's own Wnd as
// kReflectBase + message so each control draws itself.
constexpr UINT kReflectBase = WM_USER + 0x1c00;

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

protected:
    // Handles one message; call default_proc for what is not handled.
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
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

    HWND m_hwnd = nullptr;

private:
    bool m_subclassed = false;
    bool m_owns_window = false;
    static LRESULT CALLBACK class_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK subclass_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                          UINT_PTR id, DWORD_PTR data);
    LRESULT dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void bind(HWND hwnd);
    void unbind();
};

// The one DPI entry point. A window: its DPI. No window yet (null): the
// screen's, which a window made now would get. 96 when the system cannot tell.
int window_dpi(HWND hwnd);
