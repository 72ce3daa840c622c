// CSCStepCtrl: a column of lines, each with a round (or square) marker and a
// text; lines before the current one are done (filled marker with a check mark),
// the current one is active (ring with a dot, bold text), the rest pending
// (thin ring). Drawn anti-aliased with GDI+. Setters may be called from worker
// threads: they run on the window's thread through SendMessage.
#pragma once

#include "common/gdi_owners_win.h"
#include "widgets/step_model.h"
#include "widgets/widget_window_win.h"

#include <atomic>

class CSCStepCtrl : public CSCWidget {
public:
    CSCStepCtrl();

    void set_count(int count);
    int count() const;
    // -1 for none; past the last line marks every line as done.
    void set_current(int index);
    int current() const;
    // Colours here take kNoColourMark (0xFFFFFF) for "none of its own".
    void set_line_text(int index, const std::wstring& text, uint32_t text_colour = kNoColourMark);
    // One line: its own marker colour. Index -1: the control's done marker colour (and the
    // current one when `text_colour` is not 0xFFFFFF), given to every line as well.
    void set_line_colour(int index, uint32_t marker_colour, uint32_t text_colour = kNoColourMark);
    void reset_colours();
    // Background, text and marker colours of the three states (0xAARRGGBB).
    void set_theme_colours(const StepColours& colours);
    // 0 circle, 2 square.
    void set_marker_shape(int shape);
    // Marker size and margins in pixels at 96 DPI.
    void set_marker_size(int size);
    void set_margins(int top, int left, int bottom, int right, int text_gap);
    // A fixed check-mark colour instead of the contrast search; kNoColourMark turns it off.
    void set_check_mark_colour(uint32_t colour);
    void set_minimum_contrast(double ratio);
    // The text font instead of the parent's: face, size in points and the weight of
    // the lines that are not current (the current line is always bold).
    void set_font(const std::wstring& face, int points, int weight = 400);
    // The font of lines that are not current.
    HFONT font() const { return m_font.get(); }

    // The colours the control paints line `index` with, and the check mark for it.
    uint32_t marker_colour(int index) const;
    uint32_t text_colour(int index) const;
    uint32_t check_mark_colour_of(int index) const;
    // Marker rectangle of a line in client pixels.
    RECT marker_rect(int index) const;

protected:
    const wchar_t* class_name() const override { return L"STATIC"; }
    DWORD create_style() const override { return SS_OWNERDRAW | SS_NOTIFY; }
    void on_attached() override;
    LRESULT WndProc(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    void paint(HDC dc);
    void repaint();
    void make_fonts();
    void make_fonts_from(LOGFONTW lf, int weight);

    CSCStepModel m_model;
    // The current line as last set, readable from any thread: setting the same
    // line again (the run does so for every item of a group) sends nothing.
    std::atomic<int> m_current_set{-1};
    int m_shape = 0;
    int m_marker_size = 18;
    int m_margin_top = 8, m_margin_left = 8, m_margin_bottom = 8, m_margin_right = 8, m_text_gap = 8;
    double m_minimum_contrast = 4.5;
    OptionalColour m_check_override;
    OwnedFont m_font;       // the parent's font at creation
    OwnedFont m_bold_font;  // the same at weight 700
};
