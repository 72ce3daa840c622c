// The check run's view on the main dialog's controls. Every call may come from
// the check worker; the controls run them on their own thread.
#include "app/marlo_check_tool_dlg_win.h"

void CMarloCheckToolDlg::set_step_count(int count)
{
    m_steps.set_count(count);
}

void CMarloCheckToolDlg::set_current_step(int line)
{
    m_steps.set_current(line);
}

void CMarloCheckToolDlg::set_step_text(int line, const std::wstring& text, OptionalColour text_colour)
{
    m_steps.set_line_text(line, text, mark_from_colour(text_colour));
}

void CMarloCheckToolDlg::set_step_colour(int line, OptionalColour marker_colour)
{
    m_steps.set_line_colour(line, mark_from_colour(marker_colour));
}

void CMarloCheckToolDlg::set_progress_range(int lower, int upper)
{
    m_progress.set_range(lower, upper);
}

void CMarloCheckToolDlg::set_progress_position(int position)
{
    m_progress.set_pos_no_wait(position);  // one per item: the worker goes on at once
}

void CMarloCheckToolDlg::set_progress_busy(bool busy)
{
    m_progress.set_busy(busy);
}

void CMarloCheckToolDlg::show_progress(bool show)
{
    m_progress.show(show);
}

void CMarloCheckToolDlg::set_start_button_text(const std::wstring& text)
{
    m_start_button.set_text(text);
}

void CMarloCheckToolDlg::enable_start_button(bool enable)
{
    m_start_button.enable(enable);
}

void CMarloCheckToolDlg::enable_save_button(bool enable)
{
    m_save_button.enable(enable);
}

void CMarloCheckToolDlg::start_animation()
{
    if (m_animation.is_loaded() && m_animation.is_animated())
        m_animation.start();
}

void CMarloCheckToolDlg::pause_animation()
{
    if (m_animation.is_running())
        m_animation.pause();
}

void CMarloCheckToolDlg::clear_log_rows()
{
    m_log_page.m_list.clear();
}

int CMarloCheckToolDlg::add_log_row(const std::wstring& columns)
{
    return m_log_page.m_list.add_row_from_text(-1, columns);
}

void CMarloCheckToolDlg::begin_log_rows()
{
    m_log_page.m_list.begin_fill();
}

void CMarloCheckToolDlg::refresh_log_rows()
{
    // Ends the batch begun by begin_log_rows: the row count once, one repaint.
    if (m_log_page.m_list.filling())
        m_log_page.m_list.end_fill();
    else if (m_log_page.m_list.hwnd())
        InvalidateRect(m_log_page.m_list.hwnd(), nullptr, FALSE);
}

int CMarloCheckToolDlg::log_row_count()
{
    return m_log_page.m_list.row_count();
}

std::wstring CMarloCheckToolDlg::log_cell(int row, int column)
{
    return m_log_page.m_list.cell_text(row, column);
}

void CMarloCheckToolDlg::set_log_cell(int row, int column, const std::wstring& text)
{
    m_log_page.m_list.set_cell_text(row, column, text);
}

void CMarloCheckToolDlg::set_log_cell_text_colour(int row, int column, std::uint32_t colour)
{
    m_log_page.m_list.set_cell_colour(row, column, colour);
}

void CMarloCheckToolDlg::set_log_row_text_colour(int row, std::uint32_t colour)
{
    m_log_page.m_list.set_row_colour(row, colour);
}

void CMarloCheckToolDlg::ensure_log_row_visible(int row)
{
    m_log_page.m_list.ensure_visible(row);
}

void CMarloCheckToolDlg::post_check_finished(bool completed, int failed_items)
{
    if (m_hwnd)
        PostMessageW(m_hwnd, WM_CHECK_FINISHED, completed ? 1 : 0, failed_items);
}
