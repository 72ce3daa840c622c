// The front page's writer: hostile names stay text, the page is well formed and
// holds nothing that reaches out of the file.
#include <gtest/gtest.h>

#include "diag/page/html_writer.h"
#include "diag/page/report_page.h"

TEST(HtmlEscape, OutsideTextNeverBecomesMarkup)
{
    EXPECT_EQ(html_escape(L"<script>alert('x')</script>"), "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;");
    EXPECT_EQ(html_escape(L"a & \"b\""), "a &amp; &quot;b&quot;");
    EXPECT_EQ(html_escape(L"세션\t서버\r\n끝"), "\xEC\x84\xB8\xEC\x85\x98\t\xEC\x84\x9C\xEB\xB2\x84\n\xEB\x81\x9D");
    // Control characters and a lone surrogate half become the replacement character.
    EXPECT_EQ(html_escape(std::wstring(L"a\x01" L"b") + wchar_t(0xD800) + L"c"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c");
}

TEST(HtmlWriter, AttributesAreEscapedAndElementsClosed)
{
    HtmlWriter w;
    w.open("div", {{"title", L"\"><img src=x onerror=alert(1)>"}}).open("p").text(L"<b>").close("div");
    w.open("ul").element("li", L"x");
    EXPECT_EQ(w.finish(), "<div title=\"&quot;&gt;&lt;img src=x onerror=alert(1)&gt;\"><p>&lt;b&gt;</p></div>"
                          "<ul><li>x</li></ul>");
}

TEST(ReportPage, HostileNamesShowAsTextAndNothingIsFetched)
{
    ReportPageInput in;
    in.product_name = L"Vantu";
    in.tool_version = L"1.0.0.1";
    ReportPageItem item;
    item.category = L"세션<script>";
    item.target = L"gw*********";
    item.port = L"7002";
    item.verdict = L"Ok (2/3)";
    item.kind = ItemVerdict::unstable;
    item.attempts = {{35, true}, {2001, false}, {40, true}};
    item.cause = L"3번 중 1번 실패: <b>x</b>";
    in.items.push_back(item);
    item.verdict = L"Ok";
    item.kind = ItemVerdict::passed;
    item.cause.clear();
    item.caution = L"이 PC의 시계(2019-03-01 09:00:00)가 <i>";
    in.items.push_back(item);
    in.findings = split_sections(L"[UAC (User Account Control)]\nEnableLUA : 1\n\n[Services]\n<script>evil()</script>\n\n");
    in.contents = {{L"check_result.txt", 2048}, {L"logs/<img src=x>.log", 10}};
    in.not_packed = {{L"C:\\Logs\\held.log", L"locked"}};
    const std::string page = report_page_html(in);

    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;evil()&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("logs/&lt;img src=x&gt;.log"), std::string::npos);
    // Nothing outside the file: no links to resources, no script, no URLs.
    for (const char* outside : {"src=\"", "href=\"", "http:", "https:", "url(", "@import", "<link"})
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    // The unstable verdict in the log page's colour, its failed attempt marked.
    EXPECT_NE(page.find("color:#FF7F50\">Ok (2/3)</td>"), std::string::npos);
    EXPECT_NE(page.find("2: 2001 ms (실패)"), std::string::npos);
    EXPECT_NE(page.find("2.00KB"), std::string::npos);
    EXPECT_NE(page.find("<div class=\"caution\">주의: 이 PC의 시계(2019-03-01 09:00:00)가 &lt;i&gt;</div>"),
              std::string::npos);
    EXPECT_EQ(page.rfind("</html>"), page.size() - 7);
}

TEST(ReportPage, SectionsSplitAtTitlesAfterBlankLines)
{
    const std::vector<ReportPageSection> s =
        split_sections(L"[A]\nline 1\n[not a title]\n\n[B]\n  note\nbody\n\n");
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].title, L"A");
    EXPECT_EQ(s[0].body, L"line 1\n[not a title]");
    EXPECT_EQ(s[1].title, L"B");
    EXPECT_EQ(s[1].body, L"  note\nbody");
}
