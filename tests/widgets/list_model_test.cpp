#include "widgets/list_model.h"

#include <gtest/gtest.h>

TEST(ListColumns, ParsesPairsWithAndWithoutFinalSemicolon)
{
    std::vector<ListColumn> columns = parse_list_columns(L"에러 코드,80;설명,400");
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].title, L"에러 코드");
    EXPECT_EQ(columns[0].width, 80);
    EXPECT_EQ(columns[1].title, L"설명");
    EXPECT_EQ(columns[1].width, 400);

    columns = parse_list_columns(L"결과,56;구분,100;내용,400;");
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[2].width, 400);

    columns = parse_list_columns(L"구분,56;진단 대상,200;포트,45;진단 시각,65;시간,70;결과,60;비고,70");
    ASSERT_EQ(columns.size(), 7u);
    EXPECT_EQ(columns[6].title, L"비고");
    EXPECT_EQ(columns[6].width, 70);

    // Parsing stops at the first pair without a comma.
    columns = parse_list_columns(L"a,10;broken;c,30");
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_TRUE(parse_list_columns(L"").empty());
    EXPECT_EQ(parse_list_columns(L"x,abc")[0].width, 0);
}

TEST(ListColours, BothCallerFormsShowTheColourNamed)
{
    // Zero top byte: 0x00BBGGRR.
    EXPECT_TRUE((colour_to_rgba(0x00008B) == Rgba{0x8B, 0x00, 0x00, 0xFF}));  // dark red
    EXPECT_TRUE((colour_to_rgba(0x007F00) == Rgba{0x00, 0x7F, 0x00, 0xFF}));  // green
    EXPECT_TRUE((colour_to_rgba(0x20A5DA) == Rgba{0xDA, 0xA5, 0x20, 0xFF}));  // goldenrod
    EXPECT_TRUE((colour_to_rgba(0x507FFF) == Rgba{0xFF, 0x7F, 0x50, 0xFF}));  // coral
    // Opaque top byte: 0xAARRGGBB.
    EXPECT_TRUE((colour_to_rgba(0xFFB22222) == Rgba{0xB2, 0x22, 0x22, 0xFF}));  // firebrick
    EXPECT_TRUE((colour_to_rgba(0xFFA0522D) == Rgba{0xA0, 0x52, 0x2D, 0xFF}));  // sienna
    EXPECT_TRUE((colour_to_rgba(0xFF696969) == Rgba{0x69, 0x69, 0x69, 0xFF}));  // dim grey
}

TEST(ListColours, SecondRowColourIsTheBackgroundLowered)
{
    uint32_t second = 0x123456;
    ASSERT_TRUE(list_second_row_colour(0xFFFFFF, second));
    EXPECT_EQ(second, 0xF5F5F5u);
    ASSERT_TRUE(list_second_row_colour(0x0A0509, second));
    EXPECT_EQ(second, 0u);
}

TEST(ListRows, RowsCellsAndColoursLiveInTheModel)
{
    CSCListModel model;
    model.set_column_count(3);
    EXPECT_EQ(model.append_row(L"first"), 0);
    EXPECT_EQ(model.add_row_from_text(-1, L"a|b|c", L'|'), 1);
    EXPECT_EQ(model.add_row_from_text(0, L"x|y", L'|'), 0);
    ASSERT_EQ(model.row_count(), 3u);
    EXPECT_EQ(model.cell_text(0, 0), L"x");
    EXPECT_EQ(model.cell_text(0, 1), L"y");
    EXPECT_EQ(model.cell_text(0, 2), L"");
    EXPECT_EQ(model.cell_text(1, 0), L"first");
    EXPECT_EQ(model.cell_text(2, 2), L"c");

    // More pieces than columns stay together in the last cell.
    model.add_row_from_text(-1, L"1|2|3|4", L'|');
    EXPECT_EQ(model.cell_text(3, 2), L"3|4");

    EXPECT_TRUE(model.set_cell_text(1, 2, L"42ms"));
    EXPECT_EQ(model.cell_text(1, 2), L"42ms");
    EXPECT_FALSE(model.set_cell_text(10, 0, L"nope"));
    EXPECT_FALSE(model.set_cell_text(0, 3, L"nope"));
    EXPECT_FALSE(model.set_cell_text(-1, 0, L"nope"));
    EXPECT_EQ(model.row_count(), 4u);

    EXPECT_EQ(model.cell_colour(1, 1), std::nullopt);
    EXPECT_TRUE(model.set_cell_colour(1, 0, 0xFFB22222));
    EXPECT_EQ(model.cell_colour(1, 0), 0xFFB22222u);
    EXPECT_EQ(model.cell_colour(1, 1), std::nullopt);
    // White in the COLORREF form is a colour like any other, not "none".
    EXPECT_TRUE(model.set_cell_colour(1, 1, 0x00FFFFFF));
    EXPECT_EQ(model.cell_colour(1, 1), 0x00FFFFFFu);
    EXPECT_TRUE(model.set_row_colour(2, 0x00008B));
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(model.cell_colour(2, column), 0x00008Bu);
    EXPECT_TRUE(model.set_cell_colour(-1, 1, 0xFF696969));
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(model.cell_colour(row, 1), 0xFF696969u);
    EXPECT_FALSE(model.set_cell_colour(9, 0, 0xFF000000));
    EXPECT_FALSE(model.set_cell_colour(0, 5, 0xFF000000));

    // More columns later: existing rows grow with empty cells.
    model.set_column_count(4);
    EXPECT_TRUE(model.set_cell_text(0, 3, L"new"));
    EXPECT_EQ(model.cell_colour(0, 3), std::nullopt);

    model.clear();
    EXPECT_EQ(model.row_count(), 0u);
    EXPECT_EQ(model.cell_text(0, 0), L"");
}
