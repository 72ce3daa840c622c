#include "widgets/step_model.h"

#include <gtest/gtest.h>

TEST(StepContrast, CheckMarkReachesTheMinimumContrast)
{
    EXPECT_NEAR(contrast_ratio(0xFF000000, 0xFFFFFFFF), 21.0, 1e-9);
    EXPECT_NEAR(contrast_ratio(0xFF808080, 0xFF808080), 1.0, 1e-9);
    EXPECT_NEAR(relative_luminance(0xFFFFFFFF), 1.0, 1e-9);

    // Dark markers get lighter marks, light markers darker ones, each reaching 4.5.
    for (uint32_t marker : {0xFF4169E1u, 0xFF0000FFu, 0xFF00008Bu, 0xFFB22222u, 0xFFFFD700u, 0xFFF0F0F0u}) {
        uint32_t mark = check_mark_colour(marker);
        EXPECT_GE(contrast_ratio(marker, mark), 4.5) << std::hex << marker;
    }
    EXPECT_GT(relative_luminance(check_mark_colour(0xFF00008B)), relative_luminance(0xFF00008B));
    EXPECT_LT(relative_luminance(check_mark_colour(0xFFFFD700)), relative_luminance(0xFFFFD700));

    // The search stops at the first step that is enough: royal blue goes lighter
    // by 0.05 steps and must not overshoot to white.
    uint32_t mark = check_mark_colour(0xFF4169E1);
    EXPECT_NE(mark, 0xFFFFFFFFu);
    EXPECT_LT(contrast_ratio(0xFF4169E1, 0xFF000000u | (mark - 0x0C0C0C)), 4.6);

    // Mid grey cannot reach 4.5 by darkening within 20 steps in every case;
    // the twentieth step is then used (black).
    EXPECT_EQ(check_mark_colour(0xFF777777, 30.0), 0xFF000000u);

    // Green 0x89 can reach the minimum both ways: opaque it looks dark and gets a
    // lighter mark; transparent it looks white and gets a darker one.
    EXPECT_GT(relative_luminance(check_mark_colour(0xFF008900)), relative_luminance(0xFF008900));
    EXPECT_LT(relative_luminance(check_mark_colour(0x00008900)), relative_luminance(0xFF008900));
}

TEST(StepModel, StatesAndColoursFollowTheCurrentLine)
{
    CSCStepModel model;
    model.set_count(3);
    EXPECT_EQ(model.current(), -1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(model.state(i), StepState::pending);
        EXPECT_EQ(model.marker_colour(i), 0xFF808080u);
        EXPECT_EQ(model.text_colour(i), 0xFF808080u);
    }

    model.set_current(1);
    EXPECT_EQ(model.state(0), StepState::done);
    EXPECT_EQ(model.state(1), StepState::current);
    EXPECT_EQ(model.state(2), StepState::pending);
    EXPECT_EQ(model.marker_colour(0), 0xFF4169E1u);
    EXPECT_EQ(model.marker_colour(1), 0xFF0000FFu);

    model.set_current(3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(model.state(i), StepState::done);

    // A line's own colour stays whatever the current line; reset returns the state's.
    model.set_line_colour(2, 0xFFB22222, 0xFFB22222);
    EXPECT_EQ(model.text_colour(2), 0xFF4169E1u);  // one line: the marker colour only
    model.set_text(2, L"세션 서버 체크 실패", 0xFFB22222);
    model.set_current(0);
    EXPECT_EQ(model.marker_colour(2), 0xFFB22222u);
    EXPECT_EQ(model.text_colour(2), 0xFFB22222u);
    model.reset_colours();
    EXPECT_EQ(model.marker_colour(2), 0xFF808080u);
    EXPECT_EQ(model.text_colour(2), 0xFF808080u);

    // 0xFFFFFF on every line leaves the state colours visible.
    for (int i = 0; i < 3; ++i)
        model.set_line_colour(i, step_no_colour, step_no_colour);
    EXPECT_EQ(model.marker_colour(0), 0xFF0000FFu);
    EXPECT_EQ(model.marker_colour(1), 0xFF808080u);

    // Index -1 sets the control's done colour, and the current one when a text colour is given.
    model.set_line_colour(-1, 0xFF228B22, step_no_colour);
    EXPECT_EQ(model.colours().marker_done, 0xFF228B22u);
    EXPECT_EQ(model.colours().marker_current, 0xFF0000FFu);
    EXPECT_EQ(model.marker_colour(2), 0xFF228B22u);
    model.set_line_colour(-1, 0xFF228B22, 0xFF000000);
    EXPECT_EQ(model.colours().marker_current, 0xFF228B22u);

    model.set_text(1, L"게이트웨이 서버");
    model.set_text(7, L"ignored");
    EXPECT_EQ(model.lines()[1].text, L"게이트웨이 서버");
    EXPECT_EQ(model.count(), 3u);
}

TEST(StepModel, VerticalLayoutSharesTheFreeSpace)
{
    // 4 lines of 18 in 200 pixels with margins of 8: (200 - 16 - 72) / 3 = 37.
    EXPECT_EQ(step_marker_top(0, 4, 200, 18, 8, 8), 8);
    EXPECT_EQ(step_marker_top(1, 4, 200, 18, 8, 8), 8 + 55);
    EXPECT_EQ(step_marker_top(3, 4, 200, 18, 8, 8), 8 + 3 * 55);
    EXPECT_EQ(step_marker_top(0, 1, 200, 18, 8, 8), 8);
}
