#include "widgets/theme/progress_model.h"

void ProgressModel::set_range(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper < lower ? lower : upper;
    set_position(m_position);
}

void ProgressModel::set_position(int position)
{
    if (position < m_lower)
        position = m_lower;
    if (position > m_upper)
        position = m_upper;
    m_position = position;
}

int ProgressModel::step()
{
    set_position(m_position + 1);
    return m_position;
}

double ProgressModel::fraction() const
{
    if (m_upper <= m_lower)
        return 1.0;
    return static_cast<double>(m_position - m_lower) / static_cast<double>(m_upper - m_lower);
}

int ProgressModel::filled_width(int width) const
{
    return width <= 0 ? 0 : static_cast<int>(width * fraction() + 0.5);
}
