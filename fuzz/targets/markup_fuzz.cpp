// Marked-up texts of the static-text control (messages, help texts that may carry
// server or file names) and the colour values inside them.
#include "fuzz_input.h"
#include "fuzz_targets.h"

#include <cmath>

#include "widgets/list_model.h"
#include "widgets/markup_colour.h"
#include "widgets/markup_layout.h"
#include "widgets/markup_text.h"

int fuzz_markup(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const int alignment = in.byte() % 3;
    const int vertical = in.byte() % 12;
    const std::wstring text = in.wide_rest();

    read_markup_colour(text);
    std::uint32_t argb = 0;
    find_css_colour(text, argb);
    read_decimal_int(text);
    normalise_markup_tag(text);
    markup_hinting_threshold(text, 12.0f);

    MarkupDocument document = parse_markup(markup_line_breaks(text), MarkupStyle{});
    for (const MarkupLine& line : document) {
        for (const MarkupRun& run : line) {
            FUZZ_REQUIRE(run.style.face.size() <= markup_face_max);
            FUZZ_REQUIRE(std::isfinite(run.style.size));
        }
    }

    MarkupLayoutOptions options;
    options.client = {0, 0, 400, 300};
    options.left_indent = 4;
    options.alignment = alignment;
    options.vertical = vertical;
    options.line_spacings = markup_line_spacings(document);
    // A rough font: every character 0.6 of the size wide, lines 1.3 high.
    const MarkupMeasure measure = [](const MarkupRun& run) {
        return MarkupSize{0.6f * run.style.size * static_cast<float>(run.text.size()), 1.3f * run.style.size};
    };
    // Factors such as "<ls=nan>" reach the layout as they are; it keeps them bounded.
    const MarkupRect box = layout_markup(document, options, measure);
    FUZZ_REQUIRE(box.left <= box.right && box.top <= box.bottom);

    // The same text as a column plan and as rows of the report list.
    for (const ListColumn& column : parse_list_columns(text))
        FUZZ_REQUIRE(column.alignment >= 0 && column.alignment <= 2);
    CSCListModel list;
    list.set_column_count(static_cast<std::size_t>(vertical % 8));
    const int row = list.add_row_from_text(alignment - 1, text, L'|');
    list.add_row_from_text(0, text, L'\t');
    list.set_cell_text(row, vertical % 9 - 1, text);
    list.set_cell_colour(-1, -1, read_markup_colour(text));
    for (int column = -1; column <= 8; ++column)
        list.cell_text(row, column);
    return 0;
}
