// Dialog base: runs a dialog template modally (own message loop, so that
// PreTranslateMessage sees every message first) or as a child page, and turns
// the messages our dialogs use into virtual handlers.
#pragma once

#include "framework/wnd_win.h"

class CDialogEx : public Wnd {
public:
    explicit CDialogEx(UINT template_id, HWND parent = nullptr);
    ~CDialogEx() override;

    // Shows the dialog modally; returns the value given to EndDialog, or -1
    // when the template cannot be created.
    INT_PTR DoModal();
    // Creates the dialog without a loop of its own, e.g. as a page inside a
    // tab control (the template then carries WS_CHILD).
    bool create(HWND parent);
    // Ends a modal dialog (destroys a page).
    void EndDialog(INT_PTR result);
    bool is_modal() const { return m_modal; }

    UINT template_id() const { return m_template_id; }
    HWND item(int id) const { return m_hwnd ? GetDlgItem(m_hwnd, id) : nullptr; }
    // Attaches a template control to its object, as the dialog's data exchange does.
    bool bind_control(int id, Wnd& control);
    UINT_PTR SetTimer(UINT_PTR id, UINT ms) { return m_hwnd ? ::SetTimer(m_hwnd, id, ms, nullptr) : 0; }
    void KillTimer(UINT_PTR id) { if (m_hwnd) ::KillTimer(m_hwnd, id); }
    void SetIcon(HICON icon, bool big);

    // Called by the modal loop for messages to this dialog or its children;
    // true means the message was consumed.
    virtual bool PreTranslateMessage(MSG* msg);

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange() {}
    virtual void OnOK();
    virtual void OnCancel();
    // Commands other than IDOK and IDCANCEL; true when handled.
    virtual bool OnCommand(int id, int code, HWND control) { return false; }
    virtual bool OnNotify(NMHDR* header, LRESULT& result) { return false; }
    virtual void OnTimer(UINT_PTR id) {}
    virtual void OnSize(UINT type, int cx, int cy) {}
    // True when the dialog painted itself.
    virtual bool OnPaint() { return false; }
    virtual void OnDestroy() {}
    // Any other message, before the handlers above; true when handled, with the
    // message's result in result.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }

    HWND m_parent = nullptr;

private:
    static INT_PTR CALLBACK dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp);

    UINT m_template_id;
    bool m_modal = false;
    bool m_ending = false;
    INT_PTR m_result = -1;
};
