#include "widgets/step_model.h"

#include <gtest/gtest.h>

TEST(StepContrast, CheckMarkStepsTowardsTheMinimumContrast)
{
    EXPECT_NEAR(contrast_ratio(0xFF000000, 0xFFFFFFFF), 21.0, 1e-9);
    EXPECT_NEAR(contrast_ratio(0xFF808080, 0xFF808080), 1.0, 1e-9);
    EXPECT_NEAR(relative_luminance(0xFFFFFFFF), 1.0, 1e-9);

    // Dark markers get lighter marks, light markers darker ones; the search stops at
    // the first 0.05 step that reaches 4.5.
    EXPECT_EQ(check_mark_colour(0xFF0000FF), 0xFFBFBFFFu);  // blue: 15 steps to white
    EXPECT_EQ(check_mark_colour(0xFF00008B), 0xFF8C8CCBu);  // dark blue: 11 steps
    EXPECT_EQ(check_mark_colour(0xFFB22222), 0xFFF0D3D3u);  // firebrick: 16 steps
    EXPECT_EQ(check_mark_colour(0xFFFFD700), 0xFF665600u);  // gold: 12 steps to black
    EXPECT_EQ(check_mark_colour(0xFFF0F0F0), 0xFF6C6C6Cu);

    // Royal blue looks bright (luma 107), so its mark goes darker; darkening cannot
    // reach 4.5 (black gives 4.33) and the twentieth step, black, is taken rather
    // than turning to the other direction.
    EXPECT_EQ(check_mark_colour(0xFF4169E1), 0xFF000000u);
    EXPECT_EQ(check_mark_colour(0xFF777777, 30.0), 0xFF000000u);

    // Green 0x89 looks dark when opaque (lighter mark, reached only at white) and
    // white when transparent (darker mark). The mark keeps the marker's alpha.
    EXPECT_EQ(check_mark_colour(0xFF008900), 0xFFFFFFFFu);
    EXPECT_EQ(check_mark_colour(0x00008900), 0x00000000u);
    EXPECT_EQ(check_mark_colour(0x80B22222), 0x80000000u);
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

    // No colour of its own on every line leaves the state colours visible.
    for (int i = 0; i < 3; ++i)
        model.set_line_colour(i, std::nullopt, std::nullopt);
    EXPECT_EQ(model.marker_colour(0), 0xFF0000FFu);
    EXPECT_EQ(model.marker_colour(1), 0xFF808080u);

    // Index -1 sets the control's done colour, and the current one when a text colour is given.
    model.set_line_colour(-1, 0xFF228B22, std::nullopt);
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
