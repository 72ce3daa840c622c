#include "widgets/repaint_pacer.h"

#include <gtest/gtest.h>

TEST(RepaintPacer, RepaintsAtOnceWhenIdleAndGathersFastChangesIntoOneWait)
{
    RepaintPacer pacer;
    EXPECT_EQ(0u, pacer.on_change(5000)); // the first change ever
    pacer.on_repaint(5000);
    // 30 ms later: waits for the rest of the 100 ms period.
    EXPECT_EQ(70u, pacer.on_change(5030));
    EXPECT_TRUE(pacer.waiting());
    // Changes while it waits are covered by that wait.
    EXPECT_EQ(std::nullopt, pacer.on_change(5031));
    EXPECT_EQ(std::nullopt, pacer.on_change(5099));
    pacer.on_repaint(5100);
    EXPECT_FALSE(pacer.waiting());
    // A change a whole period after the last repaint is painted at once.
    EXPECT_EQ(0u, pacer.on_change(5200));
}

TEST(RepaintPacer, CountsAcrossTheTicksWrap)
{
    RepaintPacer pacer;
    pacer.on_repaint(0xFFFFFFF0u);
    EXPECT_EQ(84u, pacer.on_change(0x00000000u)); // 16 ms after the last repaint
    pacer.on_repaint(0x00000054u);
    EXPECT_EQ(0u, pacer.on_change(0x000000B8u));
}
