// What each list page of the main dialog sets on its list: template, columns,
// alignments, where its font and column widths are kept, and how it treats
// keys and widths. Kept apart from the windows so the rules can be checked
// without a display.
#pragma once

#include <string>
#include <utility>
#include <vector>

// List column alignments, the list-view column format values.
constexpr int kAlignLeft = 0;
constexpr int kAlignRight = 1;
constexpr int kAlignCentre = 2;

struct ListPagePlan {
    int template_id = 0;
    // "title,width;title,width;…" with widths in pixels at 96 DPI.
    std::wstring columns;
    // Section of "font size" and "font name".
    std::wstring font_section;
    // Section whose "\column width" entries hold stored widths.
    std::wstring width_section;
    // Applied in order after the columns exist: (column, alignment); column -1 is every column.
    std::vector<std::pair<int, int>> alignments;
    // Enter and Escape pressed in the page do nothing.
    bool swallows_enter_escape = false;
    // The page stores its column widths when it is destroyed.
    bool saves_widths = false;
};

const ListPagePlan& log_page_plan();
const ListPagePlan& result_page_plan();
const ListPagePlan& error_code_page_plan();

// The alignment each of `column_count` columns ends with (left before any step).
std::vector<int> column_alignments(const ListPagePlan& plan, int column_count);

// Column text with every width scaled from 96 DPI to `dpi`.
std::wstring scale_column_widths(const std::wstring& columns, int dpi);

// List font defaults and the rules for stored values.
constexpr int kDefaultListFontSize = 8;
extern const wchar_t kDefaultListFontName[];
// A stored size of 0 or less cannot make a font: the default size serves.
int list_font_size(int stored);
// A face name longer than 31 characters is cut to 31.
std::wstring list_font_name(const std::wstring& stored);

// Codes of the error table, both ends included.
constexpr int kFirstErrorCode = 100;
constexpr int kLastErrorCode = 12174;
// WinINet's own codes, whose texts come from its message table.
constexpr int kFirstWinInetCode = 12000;
constexpr int kLastWinInetCode = 12174;
// Whether a system text earns a row: not empty and not the text of an unknown code.
bool error_table_keeps(const std::wstring& trimmed_text);
