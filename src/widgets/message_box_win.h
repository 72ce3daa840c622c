// CSCMessageBox: the library's own message box. A borderless popup with its own
// caption bar, a markup text, the style's icon and a row of buttons; it returns
// the familiar button ids and can answer OK by itself after a time limit that
// counts down in its caption. Created once, shown many times.
#pragma once

#include "common/gdi_owners_win.h"
#include "framework/wnd_win.h"
#include "widgets/markup_static_win.h"

#include <windows.h>

#include <memory>
#include <string>

class CSCMessageBox : public Wnd {
public:
    CSCMessageBox();
    ~CSCMessageBox() override;

    // Creates the hidden box. Without an owner the application's main window is taken;
    // `icon_id` names a 16 x 16 caption icon in the executable's resources (0: none).
    bool create(HWND owner, const std::wstring& title, UINT icon_id = 0, bool modal = true);
    // Shows the text with the style's buttons and icon and waits for an answer in
    // its own message loop while the owner is disabled. `time_limit` in seconds
    // (0 or less: none) answers IDOK when it runs out. Returns the button id, or -1
    // when a quit message ended the wait (the quit message is posted again).
    // Called from another thread, the box runs on its window's thread and the
    // caller waits for the answer.
    int show(const std::wstring& text, UINT style = MB_OK, int time_limit = 0);
    // Shows the box without waiting; the answer reaches the owner as the registered
    // message "MessageString_CSCMessageBox" (wParam the box's window, lParam the id).
    void show_modeless(const std::wstring& text, UINT style = MB_OK, int time_limit = 0);

    static UINT answer_message();

    HWND owner() const { return m_owner; }
    HWND button(int result_id) const;
    int result() const { return m_result; }
    int seconds_left() const { return m_seconds_left; }
    // What the caption bar shows now: the title, with "(seconds)" during a countdown.
    std::wstring caption_text() const;
    bool korean() const { return m_korean; }
    void set_title(const std::wstring& title);
    void set_centre_on_owner(bool centre) { m_centre_on_owner = centre; }
    // DrawText-style flags for the text: DT_CENTER / DT_RIGHT set the alignment (default 513: centred).
    void set_text_format(UINT format) { m_text_format = format; }
    CSCStatic& message() { return *m_message; }

private:
    LRESULT WndProc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    void find_owner();
    void prepare(const std::wstring& text, UINT style, int time_limit);
    void lay_out(const std::wstring& text);
    void paint(HDC dc);
    void draw_button(const DRAWITEMSTRUCT& item);
    bool pre_translate(const MSG& msg);
    void answer(int result_id);
    HWND m_owner = nullptr;
    std::wstring m_title;
    OwnedIcon m_caption_icon;
    HICON m_style_icons[4] = {};
    bool m_modal = true;
    UINT m_style = 0;
    UINT m_text_format = 513;
    int m_seconds_left = 0;
    bool m_centre_on_owner = true;
    int m_result = -1;
    bool m_korean = false;
    OwnedFont m_font;
    HWND m_buttons[12] = {};
    std::unique_ptr<CSCStatic> m_message;
    RECT m_icon_rect = {};
};
