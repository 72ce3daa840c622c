// The tool tip of a dialog: its controls explain themselves when the mouse
// rests on them, a disabled one too. The system's own hit test skips disabled
// controls, so the tip answers it from the owner's direct children; and the
// owner relays its mouse messages addressed to the window under the cursor (a
// disabled button's messages arrive at the dialog, a captured mouse's at the
// captor).
#pragma once

#include "framework/wnd_win.h"

#include <windows.h>

#include <string>

class CSCToolTip : public Wnd {
public:
    // A topmost tip for `owner`, wrapping at `max_width` pixels and shown for
    // up to `show_ms` milliseconds (0: the system's defaults), with any
    // further TTS_ styles.
    bool create(HWND owner, int max_width = 0, int show_ms = 0, DWORD extra_style = 0);
    // `control`, a child of the owner, shows `text`.
    void add(HWND control, const std::wstring& text);
    // `control` asks the owner for its text each time it shows (TTN_GETDISPINFO).
    void add_asking(HWND control);
    // Hands one of the owner's mouse messages to the tip (from PreTranslateMessage).
    void relay(const MSG& msg);
    // Hides the tip if it shows.
    void pop();
    // The window under a screen point as the tip sees it.
    HWND window_at(POINT screen) const;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void add_tool(HWND control, wchar_t* text);

    HWND m_owner = nullptr;
};
