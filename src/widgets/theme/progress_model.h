// Range and position of a progress bar, apart from drawing: both the bar of the
// main dialog and the bar of the wait window advance one step at a time and may
// hide themselves when they reach the end.
#pragma once

class ProgressModel {
public:
    // An empty or reversed range is taken as lower..lower (always at its end).
    void set_range(int lower, int upper);
    int lower() const { return m_lower; }
    int upper() const { return m_upper; }
    // Clamped into the range.
    void set_position(int position);
    int position() const { return m_position; }
    // One step forward (never past the end); returns the new position.
    int step();
    bool at_end() const { return m_position >= m_upper; }
    // Fraction filled, 0..1.
    double fraction() const;
    // Pixels filled of a bar `width` pixels wide: a change of position that
    // leaves this alone needs no repaint.
    int filled_width(int width) const;

    bool hide_at_end = false;
    // Whether a bar set to hide at its end should now be hidden.
    bool should_hide() const { return hide_at_end && at_end(); }

private:
    int m_lower = 0;
    int m_upper = 100;
    int m_position = 0;
};
