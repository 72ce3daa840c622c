#include "gui_support_win.h"

#include "widgets/markup_static_win.h"

#include <gtest/gtest.h>

namespace {

const wchar_t kHeadline[] =
    L"<size=11><b>서버에서 <cr=RoyalBlue>checklist.json</cr> 파일을 다운로드하지 못했습니다.";

// Pixels of a client rectangle of `hwnd` on screen whose blue clearly dominates.
int bluish_pixels(HWND hwnd, const MarkupRect& r)
{
    ClientCapture capture(hwnd);
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            unsigned c = capture.pixel(x, y);
            unsigned red = (c >> 16) & 0xFF, blue = c & 0xFF;
            if (blue > red + 60 && blue > 120)
                ++count;
        }
    }
    return count;
}

class StaticTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_host = std::make_unique<TestHostWindow>(L"CSCStatic", 560, 260);
        RECT rect = {10, 10, 540, 200};
        ASSERT_TRUE(m_text.create(m_host->hwnd(), rect, 1030));
        m_text.set_background(0xFFFFFFFF);
    }
    std::unique_ptr<TestHostWindow> m_host;
    CSCStatic m_text;
};

}  // namespace

TEST_F(StaticTest, HeadlineRunsAreLaidOutAndDrawnInTheirColours)
{
    m_text.set_font_name(L"맑은 고딕");
    m_text.set_font_size(10);
    m_text.set_line_spacing(1.5f);
    m_text.set_text(std::wstring(kHeadline) +
                   L"<br><br>방화벽이나 <cr=Firebrick><u>보안 프로그램</u></cr>이 연결을 막고 있을 수 있습니다."
                   L"<br><cb=Gold> 강조 </cb> <i>기울임</i> <s>취소선</s> <font_name=Segoe UI>Segoe UI</font_name>"
                   L"<br><sz=16><cr=#80FF0000>half red</cr></sz> <cr=0,128,0>green</cr>");
    MarkupDocument doc = m_text.document();
    ASSERT_EQ(doc.size(), 5u);
    ASSERT_EQ(doc[0].size(), 3u);

    // Runs follow each other on a line; lines stack with the spacing factor.
    EXPECT_EQ(doc[0][1].rect.left, doc[0][0].rect.right);
    EXPECT_EQ(doc[0][2].rect.left, doc[0][1].rect.right);
    EXPECT_GT(doc[0][1].rect.width(), 40);
    int line0 = doc[0][0].rect.height();
    EXPECT_GE(doc[1][0].rect.top - doc[0][0].rect.top, line0 + line0 / 2 - 1);
    // Trailing blanks count: "서버에서 " is wider than "서버에서".
    EXPECT_GT(doc[0][0].rect.width(), doc[0][1].rect.height() / 2);

    RECT box = m_text.text_rect();
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_GT(box.right, doc[0][2].rect.left);

    EXPECT_GT(bluish_pixels(m_text.hwnd(), doc[0][1].rect), 5);
    EXPECT_EQ(bluish_pixels(m_text.hwnd(), doc[0][0].rect), 0);
    save_screenshot(m_host->hwnd(), L"markup_text");

    // Centred lines and a centred block.
    m_text.set_alignment(1);
    m_text.set_vertical(4);
    doc = m_text.document();
    RECT client;
    GetClientRect(m_text.hwnd(), &client);
    int middle = (doc[0].front().rect.left + doc[0].back().rect.right) / 2;
    EXPECT_NEAR(middle, client.right / 2, 2);
    box = m_text.text_rect();
    EXPECT_NEAR((box.top + box.bottom) / 2, client.bottom / 2, 2);
    save_screenshot(m_host->hwnd(), L"markup_text_centred");
}

TEST_F(StaticTest, PlainTextAndFontSize)
{
    m_text.set_font_size(12);
    EXPECT_EQ(m_text.default_style().size, 12.0f);
    LOGFONTW lf = {};
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_text.hwnd(), WM_GETFONT, 0, 0));
    ASSERT_TRUE(GetObjectW(font, sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, -MulDiv(12, window_dpi(m_text.hwnd()), 72));

    // Plain text shows tags as they are and has no document.
    m_text.set_plain_text(L"에러 코드 : 12029 <b>", 0xFF0000FF);
    EXPECT_TRUE(m_text.document().empty());
    MarkupRect all = {0, 0, 200, 40};
    EXPECT_GT(bluish_pixels(m_text.hwnd(), all), 5);
    save_screenshot(m_host->hwnd(), L"markup_plain");

    // Sizes and factors from hostile text draw without trouble.
    m_text.set_text(L"<sz=99999999999>x<ls=nan>y<ls=1e30>z<sz=0>w<f=>v");
    EXPECT_EQ(m_text.document().size(), 3u);
    ClientCapture after_hostile_text(m_text.hwnd());
    EXPECT_GT(after_hostile_text.width(), 0);

    // Text set through the window is markup.
    SetWindowTextW(m_text.hwnd(), L"a<br>b");
    EXPECT_EQ(m_text.document().size(), 2u);
    m_text.set_text(L"");
    EXPECT_TRUE(m_text.document().empty());
    RECT box = m_text.text_rect();
    EXPECT_EQ(box.right - box.left, 0);
}

TEST_F(StaticTest, AnimatedPictureFromAResource)
{
    EXPECT_FALSE(m_text.load_animation(GetModuleHandleW(nullptr), L"GIF", 999));
    ASSERT_TRUE(m_text.load_animation(GetModuleHandleW(nullptr), L"GIF", 1));
    EXPECT_EQ(m_text.animation_frames(), 3);
    EXPECT_EQ(m_text.animation_frame(), 0);
    m_text.start_animation();
    // Frames advance on the control's timer.
    EXPECT_TRUE(wait_until([&] { return m_text.animation_frame() == 2; }, 5000));
    m_text.stop_animation();
    save_screenshot(m_host->hwnd(), L"markup_animation");

    const char junk[] = "not a picture";
    EXPECT_FALSE(m_text.load_animation(junk, sizeof(junk)));
    EXPECT_EQ(m_text.animation_frames(), 0);
}
