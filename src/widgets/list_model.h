// Rows, cells and columns of the report list, kept apart from the window that shows them.
#pragma once

#include "common/colour.h"

#include <cstdint>
#include <string>
#include <vector>

struct ListColumn {
    std::wstring title;
    int width = 0;
    int alignment = 0;  // 0 left, 1 right, 2 centre (the list-view column format values)
};

// Parses "title,width;title,width;…". Stops at the first pair without a ",";
// a final ";" is optional.
std::vector<ListColumn> parse_list_columns(const std::wstring& text);

// A cell without a colour of its own shows in the list's text colour. Colours
// come in either form of common/colour.h; every value is a colour (0x00FFFFFF is
// white).

// The second row colour from a COLORREF background: each of red, green and blue
// lowered by 10 (not below 0). Returns false, leaving `result` alone, when that is pure white.
bool list_second_row_colour(uint32_t background_colorref, uint32_t& result);

class CSCListModel {
public:
    void set_column_count(size_t count);
    size_t column_count() const { return m_column_count; }

    size_t row_count() const { return m_rows.size(); }
    void clear() { m_rows.clear(); }

    // Adds a row at the end with its first cell; returns its index.
    int append_row(const std::wstring& first_cell);
    // Splits `text` at `separator` into cells; index -1 (or past the end) appends.
    // Returns the row's index.
    int add_row_from_text(int index, const std::wstring& text, wchar_t separator);

    // False when the row or column does not exist.
    bool set_cell_text(int row, int column, const std::wstring& text);
    // Row -1: every row; column -1: every column. False when nothing matched.
    bool set_cell_colour(int row, int column, uint32_t colour);
    bool set_row_colour(int row, uint32_t colour) { return set_cell_colour(row, -1, colour); }

    std::wstring cell_text(int row, int column) const;
    OptionalColour cell_colour(int row, int column) const;

private:
    struct Row {
        std::vector<std::wstring> texts;
        std::vector<OptionalColour> colours;
    };
    bool valid_row(int row) const { return row >= 0 && static_cast<size_t>(row) < m_rows.size(); }
    bool valid_column(int column) const { return column >= 0 && static_cast<size_t>(column) < m_column_count; }
    Row new_row() const;

    size_t m_column_count = 0;
    std::vector<Row> m_rows;
};
