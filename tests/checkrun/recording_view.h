// A CheckRunView that records what the run shows, for tests of the engine.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "check/run/check_run_view.h"

struct RecordedStep
{
    std::wstring text;
    std::uint32_t text_colour = 0xFFFFFF;
    std::uint32_t marker_colour = 0xFFFFFF;
};

struct RecordedRow
{
    std::vector<std::wstring> cells = std::vector<std::wstring>(7);
    std::uint32_t row_colour = 0;                  // 0: never set
    std::map<int, std::uint32_t> cell_colours;     // column -> text colour
    std::vector<std::wstring> verdicts;            // every text written to the result column
};

class RecordingView : public CheckRunView
{
public:
    std::vector<RecordedStep> steps;
    std::vector<std::wstring> step_text_history;
    int current_step = -2;
    std::vector<int> current_step_history;
    int progress_lower = -1, progress_upper = -1, progress_position = -1;
    std::vector<int> progress_history;
    bool progress_busy = true, progress_visible = false;
    std::wstring start_text = L"진단 시작";
    std::vector<std::wstring> start_text_history;
    bool start_enabled = false, save_enabled = false;
    int animation_starts = 0, animation_pauses = 0;
    std::vector<RecordedRow> rows;
    int clears = 0, refreshes = 0;
    std::vector<int> visible_rows;
    int finished_posts = 0;
    bool finished_completed = false;
    int finished_failed = -1;
    // Locked: a test may read it while the worker writes.
    std::mutex lock;

    void set_step_count(int count) override { steps.assign(static_cast<size_t>(count), RecordedStep{}); }
    void set_current_step(int line) override
    {
        current_step = line;
        current_step_history.push_back(line);
    }
    // Colours as the step list receives them: 0xFFFFFF for none.
    void set_step_text(int line, const std::wstring& text, OptionalColour text_colour) override
    {
        if (line < 0 || static_cast<size_t>(line) >= steps.size())
            return; // like the control: beyond the last line is ignored
        steps[line].text = text;
        if (text_colour)
            steps[line].text_colour = *text_colour;
        step_text_history.push_back(text);
    }
    void set_step_colour(int line, OptionalColour marker_colour) override
    {
        if (line >= 0 && static_cast<size_t>(line) < steps.size())
            steps[line].marker_colour = mark_from_colour(marker_colour);
    }
    void set_progress_range(int lower, int upper) override
    {
        progress_lower = lower;
        progress_upper = upper;
    }
    void set_progress_position(int position) override
    {
        progress_position = position;
        progress_history.push_back(position);
    }
    void set_progress_busy(bool busy) override { progress_busy = busy; }
    void show_progress(bool show) override { progress_visible = show; }
    void set_start_button_text(const std::wstring& text) override
    {
        start_text = text;
        start_text_history.push_back(text);
    }
    void enable_start_button(bool enable) override { start_enabled = enable; }
    void enable_save_button(bool enable) override { save_enabled = enable; }
    void start_animation() override { ++animation_starts; }
    void pause_animation() override { ++animation_pauses; }
    void clear_log_rows() override
    {
        rows.clear();
        ++clears;
    }
    int add_log_row(const std::wstring& columns) override
    {
        RecordedRow row;
        size_t column = 0, start = 0;
        for (;;) {
            const size_t bar = columns.find(L'|', start);
            row.cells[column++] = columns.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start);
            if (bar == std::wstring::npos || column == row.cells.size())
                break;
            start = bar + 1;
        }
        rows.push_back(std::move(row));
        return static_cast<int>(rows.size()) - 1;
    }
    void refresh_log_rows() override { ++refreshes; }
    int log_row_count() override { return static_cast<int>(rows.size()); }
    std::wstring log_cell(int row, int column) override { return rows.at(row).cells.at(column); }
    void set_log_cell(int row, int column, const std::wstring& text) override
    {
        rows.at(row).cells.at(column) = text;
        if (column == LOG_COL_RESULT)
            rows.at(row).verdicts.push_back(text);
    }
    void set_log_cell_text_colour(int row, int column, std::uint32_t colour) override
    {
        rows.at(row).cell_colours[column] = colour;
    }
    void set_log_row_text_colour(int row, std::uint32_t colour) override { rows.at(row).row_colour = colour; }
    void ensure_log_row_visible(int row) override { visible_rows.push_back(row); }
    void post_check_finished(bool completed, int failed_items) override
    {
        std::lock_guard<std::mutex> guard(lock);
        ++finished_posts;
        finished_completed = completed;
        finished_failed = failed_items;
    }
};
