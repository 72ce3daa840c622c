#include "common/repaint_pacer.h"

#include <gtest/gtest.h>

TEST(RepaintPacer, RepaintsAtOnceWhenIdleAndGathersFastChangesIntoOneWait)
{
    RepaintPacer pacer;
    EXPECT_EQ(0u, pacer.on_change(5000)); // the first change ever
    pacer.on_repaint(5000);
    // 30 ms later: waits for the rest of the 200 ms period.
    EXPECT_EQ(170u, pacer.on_change(5030));
    EXPECT_TRUE(pacer.waiting());
    // Changes while it waits are covered by that wait.
    EXPECT_EQ(std::nullopt, pacer.on_change(5031));
    EXPECT_EQ(std::nullopt, pacer.on_change(5199));
    pacer.on_repaint(5200);
    EXPECT_FALSE(pacer.waiting());
    // A change a whole period after the last repaint is painted at once.
    EXPECT_EQ(0u, pacer.on_change(5400));
}

TEST(RepaintPacer, TakesAShorterPeriodForACheapControl)
{
    RepaintPacer pacer(50);
    pacer.on_repaint(1000);
    EXPECT_EQ(40u, pacer.on_change(1010));
    pacer.on_repaint(1050);
    EXPECT_EQ(0u, pacer.on_change(1100));
}

TEST(RepaintPacer, CountsAcrossTheTicksWrap)
{
    RepaintPacer pacer;
    pacer.on_repaint(0xFFFFFFF0u);
    EXPECT_EQ(184u, pacer.on_change(0x00000000u)); // 16 ms after the last repaint
    pacer.on_repaint(0x000000B8u);
    EXPECT_EQ(0u, pacer.on_change(0x00000180u));
}
