#include "common/repaint_pacer.h"

std::optional<std::uint32_t> RepaintPacer::on_change(std::uint32_t now_ms)
{
    if (m_waiting)
        return std::nullopt;
    // Unsigned difference: right across the tick's wrap after 49.7 days.
    const std::uint32_t since = now_ms - m_last_repaint;
    if (!m_repainted_once || since >= m_period_ms)
        return 0u;
    m_waiting = true;
    return m_period_ms - since;
}

void RepaintPacer::on_repaint(std::uint32_t now_ms)
{
    m_last_repaint = now_ms;
    m_repainted_once = true;
    m_waiting = false;
}
