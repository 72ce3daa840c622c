#include "widgets/list_model.h"

#include "widgets/markup_colour.h"

#include <algorithm>

std::vector<ListColumn> parse_list_columns(const std::wstring& text)
{
    std::vector<ListColumn> columns;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t semicolon = text.find(L';', pos);
        size_t pair_end = semicolon == std::wstring::npos ? text.size() : semicolon;
        size_t comma = text.find(L',', pos);
        if (comma == std::wstring::npos || comma > pair_end)
            break;
        ListColumn column;
        column.title = text.substr(pos, comma - pos);
        column.width = read_decimal_int(text.substr(comma + 1, pair_end - comma - 1));
        columns.push_back(column);
        if (semicolon == std::wstring::npos)
            break;
        pos = semicolon + 1;
    }
    return columns;
}

bool list_second_row_colour(uint32_t background, uint32_t& result)
{
    auto lower = [](uint32_t channel) { return channel > 10 ? channel - 10 : 0; };
    uint32_t r = lower(background & 0xFF);
    uint32_t g = lower((background >> 8) & 0xFF);
    uint32_t b = lower((background >> 16) & 0xFF);
    uint32_t colour = (background & 0xFF000000u) | (b << 16) | (g << 8) | r;
    if ((colour & 0xFFFFFF) == 0xFFFFFF)
        return false;
    result = colour;
    return true;
}

void CSCListModel::set_column_count(size_t count)
{
    m_column_count = count;
    for (Row& row : m_rows) {
        row.texts.resize(count);
        row.colours.resize(count);
    }
}

CSCListModel::Row CSCListModel::new_row() const
{
    Row row;
    row.texts.resize(std::max<size_t>(m_column_count, 1));
    row.colours.resize(row.texts.size());
    return row;
}

int CSCListModel::append_row(const std::wstring& first_cell)
{
    Row row = new_row();
    row.texts[0] = first_cell;
    m_rows.push_back(std::move(row));
    return static_cast<int>(m_rows.size() - 1);
}

int CSCListModel::add_row_from_text(int index, const std::wstring& text, wchar_t separator)
{
    Row row = new_row();
    size_t column = 0;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        std::wstring piece = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (column >= row.texts.size()) {
            // More pieces than columns: the rest stays with the last cell.
            row.texts.back() += separator + piece;
        } else {
            row.texts[column] = piece;
        }
        ++column;
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    if (index < 0 || static_cast<size_t>(index) >= m_rows.size()) {
        m_rows.push_back(std::move(row));
        return static_cast<int>(m_rows.size() - 1);
    }
    m_rows.insert(m_rows.begin() + index, std::move(row));
    return index;
}

bool CSCListModel::set_cell_text(int row, int column, const std::wstring& text)
{
    if (!valid_row(row) || !valid_column(column))
        return false;
    m_rows[row].texts[column] = text;
    return true;
}

bool CSCListModel::set_cell_colour(int row, int column, uint32_t colour)
{
    if (column != -1 && !valid_column(column))
        return false;
    if (row != -1 && !valid_row(row))
        return false;
    size_t first_row = row == -1 ? 0 : row;
    size_t last_row = row == -1 ? m_rows.size() : row + 1;
    bool changed = false;
    for (size_t r = first_row; r < last_row; ++r) {
        std::vector<OptionalColour>& colours = m_rows[r].colours;
        if (column == -1) {
            std::fill(colours.begin(), colours.end(), colour);
            changed = changed || !colours.empty();
        } else {
            colours[column] = colour;
            changed = true;
        }
    }
    return changed;
}

std::wstring CSCListModel::cell_text(int row, int column) const
{
    if (!valid_row(row) || column < 0 || static_cast<size_t>(column) >= m_rows[row].texts.size())
        return std::wstring();
    return m_rows[row].texts[column];
}

OptionalColour CSCListModel::cell_colour(int row, int column) const
{
    if (!valid_row(row) || column < 0 || static_cast<size_t>(column) >= m_rows[row].colours.size())
        return std::nullopt;
    return m_rows[row].colours[column];
}
