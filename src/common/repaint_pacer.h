// When a control that changes many times a second repaints: at once when its
// last repaint is at least one period ago, otherwise at the end of that period,
// so that the changes arriving meanwhile share one repaint. A check run changes
// a list row, the step list and the progress bar several times per item, and an
// item can take a few milliseconds; painting each change made the window, not
// the checks, set the pace.
#pragma once

#include <cstdint>
#include <optional>

class RepaintPacer
{
public:
    // Five repaints a second: a fast run's list scrolls a page at a time, and
    // each of its repaints costs about 20 ms under Wine.
    static constexpr std::uint32_t kDefaultPeriodMs = 200;
    explicit RepaintPacer(std::uint32_t period_ms = kDefaultPeriodMs) : m_period_ms(period_ms) {}

    // A change at `now_ms` (a wrapping millisecond tick): 0 to repaint now, a
    // wait in milliseconds until the repaint, or nothing when one is already
    // waiting and will cover this change.
    std::optional<std::uint32_t> on_change(std::uint32_t now_ms);
    // The repaint happened at `now_ms`; nothing waits any more.
    void on_repaint(std::uint32_t now_ms);
    bool waiting() const { return m_waiting; }

private:
    std::uint32_t m_period_ms;
    std::uint32_t m_last_repaint = 0;
    bool m_repainted_once = false;
    bool m_waiting = false;
};
