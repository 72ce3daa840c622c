#include "gui_support_win.h"

#include "widgets/step_ctrl_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

const wchar_t* const kGroups[] = {L"관리자 권한", L"API 서버", L"게이트웨이 서버", L"스트리밍 서버",
                                   L"프록시 서버", L"세션 서버", L"업데이트 서버", L"웹 서버"};

class StepCtrlTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_host = std::make_unique<TestHostWindow>(L"CSCStepCtrl", 260, 360);
        RECT rect = {10, 10, 230, 310};
        ASSERT_TRUE(m_steps.create(m_host->hwnd(), rect, 1020));
        m_steps.set_count(8);
        for (int i = 0; i < 8; ++i)
            m_steps.set_line_text(i, kGroups[i]);
    }

    // The colour on screen at the middle of a line's marker (moved by dx), as 0xRRGGBB.
    uint32_t marker_centre(int index, int dx = 0)
    {
        RECT r = m_steps.marker_rect(index);
        ClientCapture capture(m_steps.hwnd());
        return capture.pixel((r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2);
    }

    std::unique_ptr<TestHostWindow> m_host;
    CSCStepCtrl m_steps;
};

}  // namespace

TEST_F(StepCtrlTest, ThreeStatesOnScreen)
{
    // No current line: every marker is an empty ring.
    m_steps.set_current(-1);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(m_steps.marker_colour(i), 0xFF808080u);
    uint32_t face = marker_centre(0);
    EXPECT_NE(face, 0x808080u);
    save_screenshot(m_host->hwnd(), L"steps_pending");

    // Current line 3: done lines filled, the current one a ring with a dot.
    m_steps.set_current(3);
    EXPECT_EQ(marker_centre(3), 0x0000FFu);
    EXPECT_EQ(marker_centre(5), face);
    EXPECT_EQ(m_steps.text_colour(1), 0xFF4169E1u);
    EXPECT_EQ(m_steps.text_colour(3), 0xFF0000FFu);
    EXPECT_EQ(m_steps.text_colour(6), 0xFF808080u);
    // Royal blue cannot reach 4.5 by darkening: the mark takes the last step, black.
    EXPECT_EQ(m_steps.check_mark_colour_of(0), 0xFF000000u);
    save_screenshot(m_host->hwnd(), L"steps_current");

    // Past the last line: all done; failed lines keep their own colours.
    m_steps.set_current(8);
    m_steps.set_line_text(2, L"게이트웨이 서버 체크 실패 (2/3)", 0xFFB22222);
    m_steps.set_line_colour(2, 0xFFB22222, 0xFFB22222);
    m_steps.set_line_colour(5, 0xFFFF8C00);
    // Beside the check mark, the filled marker shows.
    EXPECT_EQ(marker_centre(0, -m_steps.scale(6)), 0x4169E1u);
    EXPECT_EQ(m_steps.marker_colour(2), 0xFFB22222u);
    save_screenshot(m_host->hwnd(), L"steps_done");

    // 0xFFFFFF is the mark for "none of its own": the state's colour shows again,
    // and the check mark goes back to its contrast search.
    m_steps.set_line_colour(5, 0xFFFFFF);
    EXPECT_EQ(m_steps.marker_colour(5), 0xFF4169E1u);
    m_steps.set_check_mark_colour(0xFFFF0000);
    EXPECT_EQ(m_steps.check_mark_colour_of(0), 0xFFFF0000u);
    m_steps.set_check_mark_colour(0xFFFFFF);
    EXPECT_EQ(m_steps.check_mark_colour_of(0), 0xFF000000u);

    m_steps.reset_colours();
    EXPECT_EQ(m_steps.marker_colour(2), 0xFF4169E1u);
    EXPECT_EQ(m_steps.marker_colour(5), 0xFF4169E1u);
    EXPECT_EQ(m_steps.text_colour(2), 0xFF4169E1u);
}

TEST_F(StepCtrlTest, ThemeFontReplacesTheParentsFont)
{
    m_steps.set_font(L"Tahoma", 10, 400);
    LOGFONTW lf = {};
    ASSERT_TRUE(GetObjectW(m_steps.font(), sizeof(lf), &lf));
    EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
    EXPECT_EQ(lf.lfHeight, -MulDiv(10, m_steps.dpi(), 72));
    EXPECT_EQ(lf.lfWeight, 400);
    // A bold theme makes every line bold.
    m_steps.set_font(L"Tahoma", 10, 700);
    ASSERT_TRUE(GetObjectW(m_steps.font(), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfWeight, 700);
}

TEST_F(StepCtrlTest, WorkerThreadMovesTheCurrentLine)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i <= 8; ++i) {
            m_steps.set_current(i);
            m_steps.set_line_colour(i, 0xFFFFFF, 0xFFFFFF);
        }
        done = true;
    });
    bool finished = wait_until([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(m_steps.current(), 8);
    EXPECT_EQ(m_steps.marker_colour(7), 0xFF4169E1u);
}
