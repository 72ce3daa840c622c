// CSCHeaderCtrl: the list control's header, drawn flat in the library's colours
// with the list's font and a height of its own instead of the system's raised
// buttons. Attached to the header window that the list view creates.
#pragma once

#include "widgets/widget_window_win.h"

class CSCHeaderCtrl : public CSCWidget {
public:
    // Background, text and the lines between and under the titles (COLORREF).
    void set_colours(COLORREF back, COLORREF text, COLORREF line);
    // Height in pixels at 96 DPI; the list view lays its rows out below it.
    void set_height(int pixels);
    int height() const { return scale(m_height); }
    COLORREF back_colour() const { return m_back; }

protected:
    const wchar_t* class_name() const override { return L"SysHeader32"; }
    LRESULT WndProc(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    void paint(HDC dc);
    void relayout();

    COLORREF m_back = RGB(228, 233, 240);
    COLORREF m_text = RGB(64, 64, 64);
    COLORREF m_line = RGB(200, 207, 217);
    int m_height = 28;
};
