#include "widgets/step_model.h"

#include <algorithm>
#include <cmath>

void CSCStepModel::set_count(size_t count)
{
    m_lines.resize(count);
}

void CSCStepModel::set_text(int index, const std::wstring& text, OptionalColour text_colour)
{
    if (index < 0 || static_cast<size_t>(index) >= m_lines.size())
        return;
    m_lines[index].text = text;
    if (text_colour)
        m_lines[index].text_colour = text_colour;
}

void CSCStepModel::set_line_colour(int index, OptionalColour marker_colour, OptionalColour text_colour)
{
    if (index == -1) {
        // The control's own state colours cannot be "none": no colour leaves them.
        if (marker_colour) {
            m_colours.marker_done = *marker_colour;
            if (text_colour)
                m_colours.marker_current = *marker_colour;
        }
        for (StepLine& line : m_lines)
            line.marker_colour = marker_colour;
        return;
    }
    if (index < 0 || static_cast<size_t>(index) >= m_lines.size())
        return;
    m_lines[index].marker_colour = marker_colour;
}

void CSCStepModel::reset_colours()
{
    for (StepLine& line : m_lines) {
        line.marker_colour.reset();
        line.text_colour.reset();
    }
}

StepState CSCStepModel::state(int index) const
{
    if (m_current < 0 || index > m_current)
        return StepState::pending;
    return index < m_current ? StepState::done : StepState::current;
}

uint32_t CSCStepModel::marker_colour(int index) const
{
    if (index >= 0 && static_cast<size_t>(index) < m_lines.size() && m_lines[index].marker_colour)
        return *m_lines[index].marker_colour;
    switch (state(index)) {
    case StepState::done: return m_colours.marker_done;
    case StepState::current: return m_colours.marker_current;
    default: return m_colours.marker_pending;
    }
}

uint32_t CSCStepModel::text_colour(int index) const
{
    if (index >= 0 && static_cast<size_t>(index) < m_lines.size() && m_lines[index].text_colour)
        return *m_lines[index].text_colour;
    switch (state(index)) {
    case StepState::done: return m_colours.text_done;
    case StepState::current: return m_colours.text_current;
    default: return m_colours.text_pending;
    }
}

namespace {

double linear_channel(uint32_t channel)
{
    double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

uint32_t clamp_channel(double value)
{
    return static_cast<uint32_t>(std::clamp(std::lround(value), 0L, 255L));
}

uint32_t make_argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace

double relative_luminance(uint32_t argb)
{
    double r = linear_channel((argb >> 16) & 0xFF);
    double g = linear_channel((argb >> 8) & 0xFF);
    double b = linear_channel(argb & 0xFF);
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}

double contrast_ratio(uint32_t a, uint32_t b)
{
    double la = relative_luminance(a);
    double lb = relative_luminance(b);
    double hi = std::max(la, lb), lo = std::min(la, lb);
    return (hi + 0.05) / (lo + 0.05);
}

uint32_t check_mark_colour(uint32_t m, double minimum)
{
    uint32_t alpha = (m >> 24) & 0xFF;
    double r = (m >> 16) & 0xFF, g = (m >> 8) & 0xFF, b = m & 0xFF;
    // What the marker looks like over white decides whether the mark goes darker or lighter.
    double k = alpha / 255.0;
    double vr = r * k + 255 * (1 - k), vg = g * k + 255 * (1 - k), vb = b * k + 255 * (1 - k);
    double brightness = 0.299 * vr + 0.587 * vg + 0.114 * vb;
    bool darker = brightness >= 96.0;
    // The direction is never switched: a mid-bright marker such as royal blue
    // (luma 107) that cannot reach the minimum by darkening takes the last step.
    uint32_t candidate = m;
    for (int i = 1; i <= 20; ++i) {
        double t = 0.05 * i;
        if (darker)
            candidate = make_argb(alpha, clamp_channel(r * (1 - t)), clamp_channel(g * (1 - t)),
                                  clamp_channel(b * (1 - t)));
        else
            candidate = make_argb(alpha, clamp_channel(r + (255 - r) * t), clamp_channel(g + (255 - g) * t),
                                  clamp_channel(b + (255 - b) * t));
        if (contrast_ratio(m, candidate) >= minimum)
            break;
    }
    // Every step keeps the marker's alpha: a translucent marker gets a translucent mark.
    return candidate;
}

int step_marker_top(int index, int count, int client_height, int marker_size, int margin_top, int margin_bottom)
{
    if (count <= 1)
        return margin_top;  // a single line has no gap to share: it sits at the top
    int free_space = client_height - margin_top - margin_bottom - count * marker_size;
    int gap = std::max(free_space / (count - 1), 0);
    return margin_top + index * (marker_size + gap);
}
