// Lines of the step list and the rules for their colours and places; the window draws them.
#pragma once

#include "common/colour.h"

#include <cstdint>
#include <string>
#include <vector>

enum class StepState { done, current, pending };

struct StepLine {
    std::wstring text;
    int shape = -1;                       // -1: the control's
    OptionalColour marker_colour; // none: the colour of its state
    OptionalColour text_colour;
};

struct StepColours {
    uint32_t background = 0xFFFFFFFFu;
    uint32_t text_done = 0xFF4169E1u, text_current = 0xFF0000FFu, text_pending = 0xFF808080u;
    uint32_t marker_done = 0xFF4169E1u, marker_current = 0xFF0000FFu, marker_pending = 0xFF808080u;
};

class CSCStepModel {
public:
    void set_count(size_t count);
    size_t count() const { return m_lines.size(); }
    const std::vector<StepLine>& lines() const { return m_lines; }

    void set_current(int index) { m_current = index < -1 ? -1 : index; }
    int current() const { return m_current; }

    // Ignored beyond the last line; without a text colour the line keeps its own.
    void set_text(int index, const std::wstring& text, OptionalColour text_colour = std::nullopt);
    // One line: its own marker colour (a line's text colour comes with its text).
    // Index -1: the done marker colour of the control, the current one too when a
    // text colour is given, and every line's own marker colour.
    void set_line_colour(int index, OptionalColour marker_colour, OptionalColour text_colour);
    void reset_colours();

    StepColours& colours() { return m_colours; }
    const StepColours& colours() const { return m_colours; }

    StepState state(int index) const;
    uint32_t marker_colour(int index) const;
    uint32_t text_colour(int index) const;

private:
    std::vector<StepLine> m_lines;
    int m_current = -1;
    StepColours m_colours;
};

// WCAG relative luminance of an 0xAARRGGBB colour (alpha ignored), 0..1.
double relative_luminance(uint32_t argb);
// WCAG contrast ratio, 1..21.
double contrast_ratio(uint32_t a, uint32_t b);
// The check-mark colour on a marker: darker or lighter steps of the marker colour
// until the contrast reaches `minimum` (the twentieth step when none does).
uint32_t check_mark_colour(uint32_t marker_argb, double minimum = 4.5);

// Top of line i's marker in the vertical layout.
int step_marker_top(int index, int count, int client_height, int marker_size, int margin_top, int margin_bottom);
