// What the check run does to the screen. The main dialog implements it on its
// controls (calls come from the check worker or the UI thread; they take effect
// in the order they are made, and a call that answers sees every earlier
// change); a console front end or a test implements it otherwise.
#pragma once

#include "check/run/item_outcome.h"
#include "checklist/check_item.h"
#include "common/colour.h"

#include <cstdint>
#include <string>

// Colour values as the widgets take them (common/colour.h: 0xAARRGGBB; duration
// colours with a zero top byte).
// A verdict's own colours are in common/item_verdict.h.
inline constexpr std::uint32_t kColourCancelled = 0xFFA0522D; // sienna
inline constexpr std::uint32_t kColourFast = 0x007F00;        // <= 100 ms
inline constexpr std::uint32_t kColourSlowish = 0x20A5DA;     // 301..1000 ms
inline constexpr std::uint32_t kColourSlow = 0x507FFF;        // 1001..3000 ms
inline constexpr std::uint32_t kColourVerySlow = 0x00008B;    // > 3000 ms

// Columns of the log page that the run writes.
enum LogColumn
{
    LOG_COL_KIND = 0,
    LOG_COL_HOST = 1,
    LOG_COL_PORT = 2,
    LOG_COL_TIME = 3,     // "진단 시각"
    LOG_COL_DURATION = 4, // "시간"
    LOG_COL_RESULT = 5,   // "결과"
    LOG_COL_NOTE = 6,     // "비고"
};

class CheckRunView
{
public:
    virtual ~CheckRunView() = default;

    // Step list, one line per group.
    virtual void set_step_count(int count) = 0;
    // -1: no current line; count: every line done. Repaints.
    virtual void set_current_step(int line) = 0;
    // Without a text colour the line's text colour stays as it is.
    virtual void set_step_text(int line, const std::wstring& text, OptionalColour text_colour) = 0;
    // The line's own marker colour (none: the colour of its state).
    virtual void set_step_colour(int line, OptionalColour marker_colour) = 0;

    // Progress bar, one step per item.
    virtual void set_progress_range(int lower, int upper) = 0;
    // Sets and repaints; a bar configured to hide at its end does so here.
    virtual void set_progress_position(int position) = 0;
    virtual void set_progress_busy(bool busy) = 0;
    virtual void show_progress(bool show) = 0;

    // Buttons.
    virtual void set_start_button_text(const std::wstring& text) = 0;
    virtual void enable_start_button(bool enable) = 0;
    virtual void enable_save_button(bool enable) = 0;

    // Animated picture: starts only when loaded with more than one frame; pauses
    // only when running.
    virtual void start_animation() = 0;
    virtual void pause_animation() = 0;

    // Log page list. A row is added from "|"-separated texts of its first columns
    // and its index returned.
    virtual void clear_log_rows() = 0;
    // Rows added from here up to refresh_log_rows come as one batch: a view may
    // hold its repaints and its row count until then.
    virtual void begin_log_rows() {}
    virtual int add_log_row(const std::wstring& columns) = 0;
    virtual void refresh_log_rows() = 0;
    virtual int log_row_count() = 0;
    virtual std::wstring log_cell(int row, int column) = 0;
    virtual void set_log_cell(int row, int column, const std::wstring& text) = 0;
    virtual void set_log_cell_text_colour(int row, int column, std::uint32_t colour) = 0;
    virtual void set_log_row_text_colour(int row, std::uint32_t colour) = 0;
    virtual void ensure_log_row_visible(int row) = 0;

    // An item's check has ended and its row is written: the item and its
    // outcome as it finished (a stop right after it turns the run's record of
    // it into "stopped", not this copy). Nothing by default.
    virtual void item_finished(const CCheckItem& item, const ItemOutcome& outcome) {}

    // The run is over (posted, not sent: the dialog handles it on its own thread).
    // completed false: stopped by the user. failed_items: items whose check
    // function returned false.
    virtual void post_check_finished(bool completed, int failed_items) = 0;
};

// A view that shows nothing: the run's stand-in when it has none, and the base
// of views that keep only part of the picture (override what is kept).
class QuietCheckRunView : public CheckRunView
{
public:
    void set_step_count(int) override {}
    void set_current_step(int) override {}
    void set_step_text(int, const std::wstring&, OptionalColour) override {}
    void set_step_colour(int, OptionalColour) override {}
    void set_progress_range(int, int) override {}
    void set_progress_position(int) override {}
    void set_progress_busy(bool) override {}
    void show_progress(bool) override {}
    void set_start_button_text(const std::wstring&) override {}
    void enable_start_button(bool) override {}
    void enable_save_button(bool) override {}
    void start_animation() override {}
    void pause_animation() override {}
    void clear_log_rows() override {}
    int add_log_row(const std::wstring&) override { return -1; }
    void refresh_log_rows() override {}
    int log_row_count() override { return 0; }
    std::wstring log_cell(int, int) override { return {}; }
    void set_log_cell(int, int, const std::wstring&) override {}
    void set_log_cell_text_colour(int, int, std::uint32_t) override {}
    void set_log_row_text_colour(int, std::uint32_t) override {}
    void ensure_log_row_visible(int) override {}
    void post_check_finished(bool, int) override {}
};
