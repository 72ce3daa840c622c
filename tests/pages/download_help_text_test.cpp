#include "pages/download_help_text.h"
#include "widgets/markup_text.h"

#include <gtest/gtest.h>

TEST(DownloadHelpText, ErrorLineShowsCodeAndTrimmedText)
{
    EXPECT_EQ(help_error_line(12007, L"  The server name or address could not be resolved\r\n"),
              L"에러코드 : 12007 The server name or address could not be resolved");
    EXPECT_EQ(help_error_line(-1, L"x"), L"에러코드 : -1 x");
}

TEST(DownloadHelpText, CodesWithoutTextReadUnknownError)
{
    EXPECT_EQ(help_error_line(404, L""), L"에러코드 : 404 unknown error");
    EXPECT_EQ(help_error_line(1232, L" \r\n\t"), L"에러코드 : 1232 unknown error");
    // A text such as "50%" is not taken for a format.
    EXPECT_EQ(help_error_line(5, L"50% %s done"), L"에러코드 : 5 50% %s done");
}

namespace {

std::wstring line_text(const MarkupLine& line)
{
    std::wstring text;
    for (const MarkupRun& run : line)
        text += run.text;
    return text;
}

}  // namespace

TEST(DownloadHelpText, HeadlineShowsTheFileNameInRoyalBlue)
{
    const MarkupDocument doc = parse_markup(kHelpHeadlineMarkup, MarkupStyle());
    ASSERT_EQ(doc.size(), 1u);
    EXPECT_EQ(line_text(doc[0]), L"서버에서 checklist.json 파일을 다운로드하지 못했습니다.");
    bool blue_file_name = false;
    for (const MarkupRun& run : doc[0]) {
        EXPECT_EQ(run.style.size, 11.0f);
        EXPECT_TRUE(run.style.flags & markup_bold);
        if (run.text == L"checklist.json")
            blue_file_name = run.style.text_colour == 0xFF4169E1u;
    }
    EXPECT_TRUE(blue_file_name);
}

TEST(DownloadHelpText, ExplanationListsCausesThenAdviceInRoyalBlue)
{
    const MarkupDocument doc = parse_markup(kHelpExplanationMarkup, MarkupStyle());
    // The title, four causes, a blank line and five lines of advice.
    ASSERT_EQ(doc.size(), 11u);
    EXPECT_EQ(line_text(doc[0]), L"대부분 다음과 같은 원인일 가능성이 높습니다.");
    EXPECT_EQ(line_text(doc[3]), L"3.조직에서 80 또는 443 포트를 차단한 경우");
    EXPECT_EQ(line_text(doc[5]), L"");
    EXPECT_EQ(line_text(doc[10]), L"실패할 경우에는 네트워크 관리자에게 문의해주시기 바랍니다.");
    // Only the title is large and bold; the advice is royal blue, the causes are not.
    ASSERT_FALSE(doc[1].empty());
    EXPECT_FALSE(doc[1][0].style.flags & markup_bold);
    EXPECT_NE(doc[1][0].style.text_colour, 0xFF4169E1u);
    for (size_t line = 6; line < doc.size(); ++line) {
        ASSERT_FALSE(doc[line].empty());
        EXPECT_EQ(doc[line][0].style.text_colour, 0xFF4169E1u) << "line " << line;
    }
}
