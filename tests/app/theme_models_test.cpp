#include "widgets/theme/gif_timing.h"
#include "widgets/theme/progress_model.h"
#include "widgets/theme/theme_colours.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ProgressModel, StepsOneAtATimeAndStopsAtTheEnd)
{
    ProgressModel bar;
    bar.set_range(0, 3);
    EXPECT_EQ(bar.step(), 1);
    EXPECT_EQ(bar.step(), 2);
    EXPECT_FALSE(bar.at_end());
    EXPECT_EQ(bar.step(), 3);
    EXPECT_TRUE(bar.at_end());
    EXPECT_EQ(bar.step(), 3);
    EXPECT_DOUBLE_EQ(bar.fraction(), 1.0);
}

TEST(ProgressModel, HidesAtTheEndOnlyWhenAskedTo)
{
    ProgressModel bar;
    bar.set_range(0, 2);
    bar.set_position(2);
    EXPECT_FALSE(bar.should_hide());
    bar.hide_at_end = true;
    EXPECT_TRUE(bar.should_hide());
    bar.set_position(1);
    EXPECT_FALSE(bar.should_hide());
}

TEST(ProgressModel, PositionsAreClampedAndOddRangesAreSafe)
{
    ProgressModel bar;
    bar.set_range(10, 20);
    bar.set_position(5);
    EXPECT_EQ(bar.position(), 10);
    bar.set_position(99);
    EXPECT_EQ(bar.position(), 20);
    bar.set_range(5, 1); // reversed: an empty range, always full
    EXPECT_EQ(bar.upper(), 5);
    EXPECT_DOUBLE_EQ(bar.fraction(), 1.0);
    EXPECT_TRUE(bar.at_end());
}

TEST(ProgressModel, FilledWidthGrowsByWholePixelsOnALongRange)
{
    ProgressModel bar;
    bar.set_range(0, 2000);
    std::vector<int> widths;
    for (int position : {0, 1, 2, 3, 6, 1999, 2000}) {
        bar.set_position(position);
        widths.push_back(bar.filled_width(500));
    }
    EXPECT_EQ(widths, (std::vector<int>{0, 0, 1, 1, 2, 500, 500}));
    EXPECT_EQ(bar.filled_width(0), 0);
    bar.set_range(3, 3);  // empty: always full
    EXPECT_EQ(bar.filled_width(120), 120);
}

TEST(GifTiming, DelaysInHundredthsBecomeMillisecondsWithTinyOnesSlowedDown)
{
    GifTiming t;
    t.set_delays({8, 0, 1, 50}, 4);
    ASSERT_EQ(t.frame_count(), 4);
    EXPECT_EQ(t.delay_ms(0), 80u);
    EXPECT_EQ(t.delay_ms(1), 100u);
    EXPECT_EQ(t.delay_ms(2), 100u);
    EXPECT_EQ(t.delay_ms(3), 500u);
    EXPECT_EQ(t.delay_ms(4), 0u);
    EXPECT_TRUE(t.animated());
}

TEST(GifTiming, MissingDelaysRepeatTheLastAndFramesWrapRound)
{
    GifTiming t;
    t.set_delays({7}, 3);
    EXPECT_EQ(t.delay_ms(2), 70u);
    EXPECT_EQ(t.next_frame(0), 1);
    EXPECT_EQ(t.next_frame(2), 0);
    GifTiming still;
    still.set_delays({}, 1);
    EXPECT_FALSE(still.animated());
    EXPECT_EQ(still.next_frame(0), 0);
    GifTiming none;
    none.set_delays({}, 0);
    EXPECT_EQ(none.frame_count(), 0);
}

TEST(ThemeColours, ConvertsBetweenGdiAndOpaqueArgb)
{
    EXPECT_EQ(argb(CSCTheme::rgb(0x12, 0x34, 0x56)), 0xFF123456u);
    EXPECT_EQ(colorref_from_argb(0xFFB22222), CSCTheme::rgb(0xB2, 0x22, 0x22));
    EXPECT_EQ(colorref_from_argb(argb(0x00ABCDEF)), 0x00ABCDEFu);
}
