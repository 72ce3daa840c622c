// CSCListCtrl: an owner-data, owner-drawn report list whose rows live in the
// control. The list view only knows the row count; every row is painted from
// the control's own storage. Setters may be called from worker threads: they
// run on the window's thread through SendMessage.
#pragma once

#include "common/gdi_owners_win.h"
#include "widgets/header_ctrl_win.h"
#include "widgets/list_model.h"
#include "widgets/widget_window_win.h"

#include <commctrl.h>

#include <string>
#include <vector>

class CSCListCtrl : public CSCWidget {
public:
    CSCListCtrl();
    ~CSCListCtrl() override;

    // Columns from "title,width;title,width;…"; returns the number of columns.
    int set_columns(const std::wstring& text);
    // Column -1: every column; alignment 0 left, 1 right, 2 centre. Out-of-range columns are ignored.
    void set_column_alignment(int column, int alignment);
    void set_font_size(int points);
    void set_font_name(const std::wstring& face);
    // Rows 26 pixels high (at 96 DPI).
    void set_row_height();
    void set_text_colour(COLORREF colour);
    void set_background_colour(COLORREF colour);
    // The colour of every second row, and whether it is used.
    void set_second_row_colour(COLORREF colour, bool use = true);
    // Sets the second row colour from the background lowered by 10 per channel.
    void use_lowered_second_row_colour();

    // Widths stored under "<section>\column width", entry "0", "1", …; only values above 0 apply.
    void load_column_widths(const std::wstring& section, bool repaint = true);
    void save_column_widths(const std::wstring& section);

    void clear();
    int append_row(const std::wstring& first_cell);
    int add_row_from_text(int index, const std::wstring& text, wchar_t separator = L'|');
    void set_cell_text(int row, int column, const std::wstring& text, bool repaint = true);
    // Row -1: every row; column -1: every column. Colour forms: see colour_to_rgba.
    void set_cell_colour(int row, int column, uint32_t colour);
    void set_row_colour(int row, uint32_t colour);
    // Text shown while the list has no rows. `format` holds DrawText flags
    // (DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM) for a band two rows high under the header.
    void set_no_rows_text(const std::wstring& text, UINT format, uint32_t colour);
    // Scrolls the row into view with the next repaint (see repaint_soon).
    void ensure_visible(int row);
    // LVM_SETITEMCOUNT with the given flags (LVSICF_NOSCROLL, …).
    void publish_count(int count, DWORD flags = 0);

    // Bulk filling: painting stops, rows added in between publish their count once at the end.
    void begin_fill();
    void end_fill();
    bool filling() const { return m_filling; }

    int column_count() const;
    int column_width(int column) const;
    int column_alignment(int column) const;
    int row_count() const;
    std::wstring cell_text(int row, int column) const;
    OptionalColour cell_colour(int row, int column) const;
    int row_height() const { return m_row_height; }
    std::wstring font_name() const { return m_font_name; }
    // The header, drawn by the library (colours, height).
    CSCHeaderCtrl& header() { return m_header; }
    int font_size() const { return m_font_size; }

protected:
    const wchar_t* class_name() const override;
    DWORD create_style() const override;
    void on_attached() override;
    LRESULT WndProc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    bool on_reflect(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
    void on_repaint_tick() override;

private:
    CSCHeaderCtrl m_header;
    void rebuild_font();
    void draw_row(const DRAWITEMSTRUCT& item);
    // (column, width) in display order; read once per paint.
    const std::vector<std::pair<int, int>>& display_columns();
    void draw_no_rows_text(HDC dc);
    // The font the rows are drawn in: ours, else the one the list was given.
    HFONT drawing_font() const;
    // Marks the row (-1: every row) for the next repaint.
    void invalidate_row(int row);
    void publish_rows();

    CSCListModel m_model;
    std::vector<ListColumn> m_columns;
    OwnedFont m_font;
    std::wstring m_font_name;
    int m_font_size = 9;
    int m_row_height = 26;
    HIMAGELIST m_row_images = nullptr;
    COLORREF m_text_colour = RGB(64, 64, 64);
    COLORREF m_background = RGB(255, 255, 255);
    COLORREF m_second_row_colour = RGB(245, 245, 245);
    bool m_use_second_row_colour = false;
    std::wstring m_no_rows_text;
    UINT m_no_rows_format = DT_CENTER;
    uint32_t m_no_rows_colour = 0xFF696969u;
    bool m_filling = false;
    // What the next repaint covers: rows first..last, or all; and the row to
    // scroll into view first (-1: none).
    int m_dirty_first = -1;
    int m_dirty_last = -1;
    bool m_dirty_all = false;
    int m_wanted_visible = -1;
    bool m_painting = false;
    std::vector<std::pair<int, int>> m_paint_columns;
};
