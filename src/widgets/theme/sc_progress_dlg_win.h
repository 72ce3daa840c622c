// Wait window: a small topmost popup with a text and a bar that advances one
// step at a time and hides itself at the end. Created on the user-interface
// thread; every other method works by SendMessage, so worker threads may call them.
#pragma once

#include "common/gdi_owners_win.h"
#include "framework/wnd_win.h"
#include "widgets/theme/progress_model.h"
#include "widgets/theme/theme_colours.h"

#include <string>

class CSCProgressDlg : public Wnd {
public:
    ~CSCProgressDlg() override;

    // Size in pixels at 96 DPI, scaled to the owner's DPI. Hidden until show(true).
    bool create(HWND owner, const std::wstring& text, int width, int height);
    void set_topmost(bool topmost);

    void set_message(const std::wstring& text);
    std::wstring message() const;
    void set_range(int lower, int upper);
    void set_pos(int position);
    int pos() const;
    // One step forward; hides the window when it is set to hide at the end and the end is reached.
    void step();
    void set_hide_at_end(bool hide);
    void show_window(bool visible);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void paint(HDC dc);

    std::wstring m_message;
    ProgressModel m_model;
    CSCTheme m_theme = default_theme();
    OwnedFont m_font;
};
