#include "pages/list_page_plan.h"
#include "widgets/list_model.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::wstring> titles(const ListPagePlan& plan)
{
    std::vector<std::wstring> out;
    for (const ListColumn& c : parse_list_columns(plan.columns))
        out.push_back(c.title);
    return out;
}

std::vector<int> widths(const std::wstring& columns)
{
    std::vector<int> out;
    for (const ListColumn& c : parse_list_columns(columns))
        out.push_back(c.width);
    return out;
}

}  // namespace

TEST(ListPagePlans, ColumnTextsTemplatesAndSettingsSections)
{
    const ListPagePlan& log = log_page_plan();
    EXPECT_EQ(log.template_id, 131);
    EXPECT_EQ(titles(log), (std::vector<std::wstring>{L"구분", L"진단 대상", L"포트", L"진단 시각", L"시간", L"결과", L"비고"}));
    EXPECT_EQ(widths(log.columns), (std::vector<int>{56, 200, 45, 65, 70, 60, 70}));
    EXPECT_EQ(log.font_section, L"list log");
    EXPECT_EQ(log.width_section, L"CDiagLogDlg list log");

    const ListPagePlan& result = result_page_plan();
    EXPECT_EQ(result.template_id, 132);
    EXPECT_EQ(titles(result), (std::vector<std::wstring>{L"결과", L"구분", L"내용"}));
    EXPECT_EQ(widths(result.columns), (std::vector<int>{56, 100, 400}));
    EXPECT_EQ(result.font_section, L"list result");
    EXPECT_EQ(result.width_section, L"CDiagResultDlg list result");

    const ListPagePlan& codes = error_code_page_plan();
    EXPECT_EQ(codes.template_id, 159);
    EXPECT_EQ(titles(codes), (std::vector<std::wstring>{L"에러 코드", L"설명"}));
    EXPECT_EQ(widths(codes.columns), (std::vector<int>{80, 400}));
    // The error-code page shares the log page's font but not its widths.
    EXPECT_EQ(codes.font_section, L"list log");
    EXPECT_EQ(codes.width_section, L"CDiagErrorCodeDlg list log");
}

TEST(ListPagePlans, AlignmentsEndAsEachPageWantsThem)
{
    // Log: all centred, target left, port and duration right.
    EXPECT_EQ(column_alignments(log_page_plan(), 7),
              (std::vector<int>{kAlignCentre, kAlignLeft, kAlignRight, kAlignCentre, kAlignRight, kAlignCentre,
                                kAlignCentre}));
    // Result: all centred, content left.
    EXPECT_EQ(column_alignments(result_page_plan(), 3), (std::vector<int>{kAlignCentre, kAlignCentre, kAlignLeft}));
    // Error code: the code centred, the description keeps the default left.
    EXPECT_EQ(column_alignments(error_code_page_plan(), 2), (std::vector<int>{kAlignCentre, kAlignLeft}));
    // Steps for columns a list does not have change nothing.
    EXPECT_EQ(column_alignments(log_page_plan(), 2), (std::vector<int>{kAlignCentre, kAlignLeft}));
    EXPECT_TRUE(column_alignments(log_page_plan(), 0).empty());
}

TEST(ListPagePlans, KeysAndWidthKeepingDifferByPage)
{
    EXPECT_TRUE(log_page_plan().swallows_enter_escape);
    EXPECT_FALSE(result_page_plan().swallows_enter_escape);
    EXPECT_FALSE(error_code_page_plan().swallows_enter_escape);
    EXPECT_TRUE(result_page_plan().saves_widths);
    EXPECT_FALSE(log_page_plan().saves_widths);
    EXPECT_FALSE(error_code_page_plan().saves_widths);
}

TEST(ListPagePlans, ColumnWidthsFollowTheScreenDensity)
{
    EXPECT_EQ(scale_column_widths(result_page_plan().columns, 96), L"결과,56;구분,100;내용,400");
    EXPECT_EQ(scale_column_widths(result_page_plan().columns, 144), L"결과,84;구분,150;내용,600");
    EXPECT_EQ(scale_column_widths(L"에러 코드,80;설명,400", 120), L"에러 코드,100;설명,500");
    // An unknown density counts as 96.
    EXPECT_EQ(scale_column_widths(L"a,45", 0), L"a,45");
    EXPECT_EQ(scale_column_widths(L"", 144), L"");
}

TEST(ListPagePlans, FontDefaultsAndLongNames)
{
    EXPECT_EQ(kDefaultListFontSize, 8);
    EXPECT_EQ(std::wstring(kDefaultListFontName), L"맑은 고딕");
    EXPECT_EQ(list_font_size(11), 11);
    EXPECT_EQ(list_font_size(0), 8);
    EXPECT_EQ(list_font_size(-3), 8);
    EXPECT_EQ(list_font_name(L"맑은 고딕"), L"맑은 고딕");
    EXPECT_EQ(list_font_name(L""), L"");
    const std::wstring exactly31(31, L'가');
    EXPECT_EQ(list_font_name(exactly31), exactly31);
    EXPECT_EQ(list_font_name(exactly31 + L"XYZ"), exactly31);
}

TEST(ListPagePlans, ErrorTableKeepsOnlyRealTexts)
{
    EXPECT_EQ(kFirstErrorCode, 100);
    EXPECT_EQ(kLastErrorCode, 12174);
    EXPECT_EQ(kLastErrorCode - kFirstErrorCode + 1, 12075);
    EXPECT_TRUE(error_table_keeps(L"The operation timed out"));
    EXPECT_FALSE(error_table_keeps(L""));
    EXPECT_FALSE(error_table_keeps(L"unknown error"));
    // Only the exact text counts as unknown.
    EXPECT_TRUE(error_table_keeps(L"Unknown error"));
    EXPECT_TRUE(error_table_keeps(L"unknown error 0x1"));
}
