#include "widgets/markup_colour.h"
#include "widgets/markup_layout.h"
#include "widgets/markup_text.h"

#include <gtest/gtest.h>

namespace {

MarkupDocument parse(const std::wstring& text)
{
    return parse_markup(text, MarkupStyle());
}

uint32_t colour_of(const std::wstring& tag_value)
{
    MarkupDocument doc = parse(L"<cr=" + tag_value + L">x");
    EXPECT_EQ(doc.size(), 1u);
    EXPECT_EQ(doc[0].size(), 1u);
    return doc[0][0].style.text_colour;
}

// Every character 8 pixels wide and the font's size in points as its height.
MarkupSize fixed_measure(const MarkupRun& run)
{
    return {8.0f * run.text.size(), run.style.size};
}

}  // namespace

TEST(MarkupText, HeadlineOfTheDownloadHelpIsOneLineOfThreeBoldRuns)
{
    MarkupDocument doc = parse(
        L"<size=11><b>서버에서 <cr=RoyalBlue>checklist.json</cr> 파일을 다운로드하지 못했습니다.");
    ASSERT_EQ(doc.size(), 1u);
    ASSERT_EQ(doc[0].size(), 3u);
    EXPECT_EQ(doc[0][0].text, L"서버에서 ");
    EXPECT_EQ(doc[0][1].text, L"checklist.json");
    EXPECT_EQ(doc[0][2].text, L" 파일을 다운로드하지 못했습니다.");
    for (const MarkupRun& run : doc[0]) {
        EXPECT_EQ(run.style.flags, static_cast<uint32_t>(markup_bold));
        EXPECT_EQ(run.style.size, 11.0f);
    }
    EXPECT_EQ(doc[0][0].style.text_colour, 0xFF000000u);
    EXPECT_EQ(doc[0][1].style.text_colour, 0xFF4169E1u);
    EXPECT_EQ(doc[0][2].style.text_colour, 0xFF000000u);
}

TEST(MarkupText, LineBreaksAndEmptyLines)
{
    MarkupDocument doc = parse(L"a<br><br>b");
    ASSERT_EQ(doc.size(), 3u);
    ASSERT_EQ(doc[1].size(), 1u);
    EXPECT_EQ(doc[1][0].text, L"");
    EXPECT_TRUE(doc[1][0].style == MarkupStyle());
    EXPECT_EQ(doc[2][0].text, L"b");

    // CR LF, CR and LF all break lines, and a CR LF is one break, not two.
    EXPECT_EQ(parse(L"a\r\nb\rc\nd").size(), 4u);
    EXPECT_TRUE(parse(L"").empty());

    MarkupDocument plain = parse(L"plain text");
    ASSERT_EQ(plain.size(), 1u);
    ASSERT_EQ(plain[0].size(), 1u);
    EXPECT_TRUE(plain[0][0].style == MarkupStyle());
}

TEST(MarkupText, ColourSpellingsAndForms)
{
    EXPECT_EQ(colour_of(L"royalblue"), 0xFF4169E1u);
    EXPECT_EQ(colour_of(L"RoyalBlue"), 0xFF4169E1u);
    EXPECT_EQ(colour_of(L"Royal Blue"), 0xFF4169E1u);  // blanks leave the tag
    EXPECT_EQ(colour_of(L"Firebrick"), 0xFFB22222u);
    EXPECT_EQ(colour_of(L"#FF0000"), 0xFFFF0000u);
    EXPECT_EQ(colour_of(L"FF0000"), 0xFFFF0000u);
    EXPECT_EQ(colour_of(L"#80FF0000"), 0x80FF0000u);
    EXPECT_EQ(colour_of(L"#FFF"), 0xFF000000u);
    EXPECT_EQ(colour_of(L"#FFFFF"), 0x00000000u);
    EXPECT_EQ(colour_of(L"255,0,0"), 0xFFFF0000u);
    EXPECT_EQ(colour_of(L"128,255,0,0"), 0x80FF0000u);
    EXPECT_EQ(colour_of(L"255,0"), 0xFF000000u);
    EXPECT_EQ(colour_of(L"1,2,3,4,5"), 0xFF000000u);
    EXPECT_EQ(colour_of(L"256,0,0"), 0xFF000000u);  // low 8 bits of each part
    EXPECT_EQ(colour_of(L"NoSuchColour"), 0xFF000000u);
    EXPECT_EQ(colour_of(L""), 0xFF000000u);
    EXPECT_EQ(colour_of(L"grey"), 0xFF000000u);  // only the "gray" spellings are names
    EXPECT_EQ(colour_of(L"gray"), 0xFF808080u);
    // Lower-case names that start with "h" are names like any other.
    EXPECT_EQ(colour_of(L"hotpink"), 0xFFFF69B4u);
    EXPECT_EQ(colour_of(L"Honeydew"), 0xFFF0FFF0u);
    // Aqua and Cyan share a value; the first match wins either way.
    EXPECT_EQ(colour_of(L"cyan"), 0xFF00FFFFu);

    MarkupDocument doc = parse(L"<cb=Yellow>a</cb>b");
    ASSERT_EQ(doc[0].size(), 2u);
    EXPECT_EQ(doc[0][0].style.background, 0xFFFFFF00u);
    EXPECT_EQ(doc[0][1].style.background, std::nullopt);
}

TEST(MarkupText, TagsHaveNoNestingAndUnknownTagsShowAsText)
{
    MarkupDocument doc = parse(L"<b><b>x</b>y");
    ASSERT_EQ(doc[0].size(), 2u);
    EXPECT_EQ(doc[0][0].style.flags, static_cast<uint32_t>(markup_bold));
    EXPECT_EQ(doc[0][1].style.flags, 0u);

    doc = parse(L"<font_name=Segoe UI>x</font_name>y");
    ASSERT_EQ(doc[0].size(), 2u);
    EXPECT_EQ(doc[0][0].style.face, L"Segoe UI");
    EXPECT_EQ(doc[0][1].style.face, L"Tahoma");

    doc = parse(L"<B>x");
    ASSERT_EQ(doc[0].size(), 2u);
    EXPECT_EQ(doc[0][0].text + doc[0][1].text, L"<B>x");

    // An unknown tag is shown as normalised: no "_", "-" or blanks.
    doc = parse(L"<my_tag - x>a<fontface=Segoe UI>");
    ASSERT_EQ(doc[0].size(), 3u);
    EXPECT_EQ(doc[0][0].text, L"<mytagx>");
    EXPECT_EQ(doc[0][1].text, L"a");
    EXPECT_EQ(doc[0][2].text, L"<fontface=SegoeUI>");
    doc = parse(L"<f=Segoe UI_x>");  // face tags keep their blanks; known anyway
    EXPECT_TRUE(doc.empty());

    doc = parse(L"<font-size=20>big</fontsize><sz=abc>zero<i><u><s>all");
    ASSERT_EQ(doc[0].size(), 3u);
    EXPECT_EQ(doc[0][0].style.size, 20.0f);
    EXPECT_EQ(doc[0][1].style.size, 0.0f);
    EXPECT_EQ(doc[0][2].style.flags, static_cast<uint32_t>(markup_italic | markup_underline | markup_strikeout));

    // An unterminated tag takes the rest and loses its last character.
    doc = parse(L"a<cr=Redx");
    ASSERT_EQ(doc.size(), 1u);
    ASSERT_EQ(doc[0].size(), 1u);
    EXPECT_EQ(doc[0][0].text, L"a");
    doc = parse(L"<cr=Redx b");
    EXPECT_TRUE(doc.empty());

    std::wstring long_face(100, L'F');
    doc = parse(L"<f=" + long_face + L">x");
    EXPECT_EQ(doc[0][0].style.face.size(), markup_face_max);
}

TEST(MarkupText, LineSpacingTagEndsTheLine)
{
    MarkupDocument doc = parse(L"a<ls=2>b");
    ASSERT_EQ(doc.size(), 2u);
    EXPECT_EQ(doc[0][0].line_spacing, -1.0f);
    EXPECT_EQ(doc[1][0].line_spacing, 2.0f);
    std::map<int, float> spacings = markup_line_spacings(doc);
    ASSERT_EQ(spacings.size(), 1u);
    EXPECT_EQ(spacings[1], 2.0f);

    // A factor given before any text belongs to the first line; <br> resets it.
    doc = parse(L"<ls=1.5>a<br>b");
    ASSERT_EQ(doc.size(), 2u);
    EXPECT_EQ(doc[0][0].line_spacing, 1.5f);
    EXPECT_EQ(doc[1][0].line_spacing, -1.0f);
}

TEST(MarkupLayout, StacksSpacesAndAlignsLines)
{
    MarkupDocument doc = parse(L"<sz=20>ab</sz>c<br>defg");
    MarkupLayoutOptions options;
    options.client = {0, 0, 200, 100};
    options.line_spacing = 1.5f;
    MarkupRect box = layout_markup(doc, options, fixed_measure);
    // Line 0: "ab" 16 wide, 20 high, then "c" 8 wide, 10 high.
    EXPECT_EQ(doc[0][0].rect.left, 0);
    EXPECT_EQ(doc[0][1].rect.left, 16);
    EXPECT_EQ(doc[0][1].rect.top, 0);
    // Line 1 starts below the tallest run plus half of it.
    EXPECT_EQ(doc[1][0].rect.top, 20 + 10);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.bottom, 40);
    EXPECT_EQ(box.right, 32);

    options.alignment = 1;
    options.line_alignments[1] = 2;
    options.vertical = 8;
    options.left_indent = 4;
    layout_markup(doc, options, fixed_measure);
    EXPECT_EQ(doc[0][0].rect.left, (4 + 200) / 2 - 24 / 2);
    EXPECT_EQ(doc[1][0].rect.right, 200);
    EXPECT_EQ(doc[1][0].rect.bottom, 100);

    options.line_alignments.clear();
    options.vertical = 4;
    options.line_spacings[1] = 1.0f;  // the line's own factor wins over the control's
    MarkupRect centred = layout_markup(doc, options, fixed_measure);
    EXPECT_EQ(doc[1][0].rect.top - doc[0][0].rect.top, 20);
    EXPECT_EQ(centred.top, (100 - 30) / 2);
}

TEST(MarkupLayout, EmptyMeasurementsAndEmptyDocuments)
{
    MarkupDocument doc = parse(L"x");
    MarkupLayoutOptions options;
    options.client = {0, 0, 50, 50};
    layout_markup(doc, options, [](const MarkupRun&) { return MarkupSize{0.0f, 0.0f}; });
    EXPECT_EQ(doc[0][0].rect.width(), 1);
    EXPECT_EQ(doc[0][0].rect.height(), 40);

    MarkupDocument empty;
    MarkupRect box = layout_markup(empty, options, fixed_measure);
    EXPECT_EQ(box.width(), 0);
    EXPECT_EQ(box.height(), 0);
}

TEST(MarkupLayout, HostileSizesAndFactorsStayBounded)
{
    for (const wchar_t* text : {L"a<ls=1e30>b<ls=-1e30>c", L"a<ls=nan>b", L"a<ls=inf>b", L"<sz=99999999999>a<br>b"}) {
        MarkupDocument doc = parse(text);
        MarkupLayoutOptions options;
        options.client = {0, 0, 100, 100};
        MarkupRect box = layout_markup(doc, options, [](const MarkupRun& run) {
            return MarkupSize{run.style.size * 1e30f, run.style.size * 1e30f};
        });
        EXPECT_LE(box.bottom, 4000000) << std::wstring(text).size();
        EXPECT_GE(box.top, -4000000);
    }
    // Thousands of huge runs on one line do not overflow the running position.
    std::wstring many;
    for (int i = 0; i < 3000; ++i)
        many += L"<sz=99999>x";
    MarkupDocument doc = parse(many);
    MarkupLayoutOptions options;
    options.client = {0, 0, 100, 100};
    MarkupRect box = layout_markup(doc, options, [](const MarkupRun&) { return MarkupSize{1e9f, 10.0f}; });
    EXPECT_GT(box.right, 0);
    EXPECT_EQ(parse(L"<sz=99999999999>a")[0][0].style.size, 2147483647.0f);
}

TEST(MarkupLayout, HintingThresholdsByFace)
{
    EXPECT_EQ(markup_hinting_threshold(L"segoe ui", 20), 14.0f);
    EXPECT_EQ(markup_hinting_threshold(L"맑은 고딕", 20), 14.0f);
    EXPECT_EQ(markup_hinting_threshold(L"DOTUM", 20), 16.0f);
    EXPECT_EQ(markup_hinting_threshold(L"Verdana", 20), 13.0f);
    EXPECT_EQ(markup_hinting_threshold(L"Arial", 20), 20.0f);
}
