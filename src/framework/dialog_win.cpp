#include "framework/dialog_win.h"

#include "framework/centre_window_win.h"
#include "framework/modal_loop_win.h"

#include <commctrl.h>

CDialogEx::CDialogEx(UINT template_id, HWND parent) : m_parent(parent), m_template_id(template_id) {}

CDialogEx::~CDialogEx()
{
    if (m_hwnd && IsWindow(m_hwnd)) {
        HWND h = m_hwnd;
        unbind();  // the messages of its destruction no longer reach this object
        DestroyWindow(h);
    }
    m_hwnd = nullptr;
}

INT_PTR CDialogEx::DoModal()
{
    m_modal = true;
    m_ending = false;
    m_result = -1;
    HWND owner = m_parent;
    HWND h = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_template_id), owner, dialog_proc,
                                reinterpret_cast<LPARAM>(this));
    if (!h) {
        m_modal = false;
        return -1;
    }
    DisabledOwner disabled_owner(owner);
    if (!m_ending && IsWindow(h) && !IsWindowVisible(h) && !(GetWindowLongW(h, GWL_STYLE) & WS_CHILD))
        ShowWindow(h, SW_SHOW);

    run_modal_loop([&] { return m_ending || !IsWindow(h); },
                   [&](MSG& msg) {
                       const bool ours = msg.hwnd == h || IsChild(h, msg.hwnd);
                       if (ours && PreTranslateMessage(&msg))
                           return true;
                       return IsWindow(h) && IsDialogMessageW(h, &msg) != FALSE;
                   });
    disabled_owner.restore();
    if (IsWindow(h)) {
        if (owner && GetActiveWindow() == h)
            SetActiveWindow(owner);
        DestroyWindow(h);
    }
    m_modal = false;
    return m_result;
}

bool CDialogEx::create(HWND parent)
{
    if (m_hwnd)
        return false;
    m_parent = parent;
    m_modal = false;
    HWND h = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_template_id), parent, dialog_proc,
                                reinterpret_cast<LPARAM>(this));
    return h != nullptr;
}

void CDialogEx::EndDialog(INT_PTR result)
{
    m_result = result;
    if (m_modal) {
        m_ending = true;
        // Wakes the modal loop so it sees the end request at once.
        if (m_hwnd)
            PostMessageW(m_hwnd, WM_NULL, 0, 0);
    } else if (m_hwnd) {
        DestroyWindow(m_hwnd);
    }
}

bool CDialogEx::bind_control(int id, Wnd& control)
{
    HWND h = item(id);
    if (!h)
        return false;
    if (control.hwnd() == h)
        return true;
    return control.attach(h);
}

void CDialogEx::SetIcon(HICON icon, bool big)
{
    if (m_hwnd)
        SendMessageW(m_hwnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

bool CDialogEx::PreTranslateMessage(MSG*)
{
    return false;
}

BOOL CDialogEx::OnInitDialog()
{
    DoDataExchange();
    return TRUE;
}

void CDialogEx::OnOK()
{
    EndDialog(IDOK);
}

void CDialogEx::OnCancel()
{
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK CDialogEx::dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    // Only dialogs bind through this procedure, so the object found is one.
    auto* self = static_cast<CDialogEx*>(Wnd::from_handle(hwnd));
    if (!self && msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialogEx*>(lp);
        self->bind(hwnd);
    }
    if (!self)
        return FALSE;
    if (msg == WM_NCDESTROY) {
        if (self->m_hwnd == hwnd)
            self->unbind();
        return FALSE;
    }
    return self->handle(msg, wp, lp);
}

INT_PTR CDialogEx::handle(UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT result = 0;
    auto done = [&](LRESULT r) -> INT_PTR {
        // These messages return their value directly from a dialog procedure.
        switch (msg) {
        case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM:
        case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
            return static_cast<INT_PTR>(r);
        default:
            SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, r);
            return TRUE;
        }
    };

    if (run_thread_call(msg, lp))
        return done(0);

    // Notifications about a control go to the control's own object first.
    if (reflect_to_control(m_hwnd, msg, wp, lp, result))
        return done(result);

    if (OnMessage(msg, wp, lp, result))
        return done(result);

    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        int id = LOWORD(wp), code = HIWORD(wp);
        HWND control = reinterpret_cast<HWND>(lp);
        if (OnCommand(id, code, control))
            return done(0);
        if (id == IDOK && (code == BN_CLICKED || !control)) {
            OnOK();
            return done(0);
        }
        if (id == IDCANCEL && (code == BN_CLICKED || !control)) {
            OnCancel();
            return done(0);
        }
        return FALSE;
    }
    case WM_NOTIFY:
        if (OnNotify(reinterpret_cast<NMHDR*>(lp), result))
            return done(result);
        return FALSE;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wp));
        return done(0);
    case WM_SIZE:
        OnSize(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));
        return FALSE;
    case WM_PAINT:
        return OnPaint() ? done(0) : FALSE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    default:
        return FALSE;
    }
}
