// The window timer's rules on a made-up clock.
#include "platform/common/frame_timer.h"

#include <gtest/gtest.h>

TEST(FrameTimer, PeriodsBelowTenMillisecondsBecomeTen)
{
    FrameTimer timer = {};
    timer_arm(&timer, 0, 1, 1000);
    EXPECT_EQ(timer.period, 10u);
    EXPECT_EQ(timer_take(&timer, 1009), 0);
    EXPECT_EQ(timer_take(&timer, 1010), 1);
    timer_arm(&timer, 0, 0, 0);
    EXPECT_EQ(timer.period, 10u);
    timer_arm(&timer, 0, 33, 0);
    EXPECT_EQ(timer.period, 33u);
}

TEST(FrameTimer, ExpiresOnAGridOfItsPeriod)
{
    FrameTimer timer = {};
    timer_arm(&timer, 7, 33, 100);
    EXPECT_EQ(timer.id, 7u);
    EXPECT_EQ(timer_take(&timer, 132), 0);
    EXPECT_EQ(timer_take(&timer, 133), 1);
    EXPECT_EQ(timer_take(&timer, 133), 0);
    // Taken late: the next expiry stays on the grid, not a period after.
    EXPECT_EQ(timer_take(&timer, 190), 1);
    EXPECT_EQ(timer_wait_ms(&timer, 190), 199 - 190);
    EXPECT_EQ(timer_take(&timer, 198), 0);
    EXPECT_EQ(timer_take(&timer, 199), 1);
}

TEST(FrameTimer, ALateLoopGetsOneMessageNotABurst)
{
    FrameTimer timer = {};
    timer_arm(&timer, 0, 10, 0);
    // A handler ran for 55 ms: five expiries went by.
    EXPECT_EQ(timer_take(&timer, 65), 1);
    EXPECT_EQ(timer_take(&timer, 65), 0);
    EXPECT_EQ(timer_take(&timer, 69), 0);
    EXPECT_EQ(timer_wait_ms(&timer, 65), 5);
    EXPECT_EQ(timer_take(&timer, 70), 1);
    // Expiries noted while nobody takes them still make only one.
    timer_update(&timer, 80);
    timer_update(&timer, 95);
    timer_update(&timer, 300);
    EXPECT_EQ(timer_take(&timer, 300), 1);
    EXPECT_EQ(timer_take(&timer, 305), 0);
}

TEST(FrameTimer, StoppingAndRearmingDropThePendingMessage)
{
    FrameTimer timer = {};
    EXPECT_EQ(timer_wait_ms(&timer, 0), -1);
    EXPECT_EQ(timer_take(&timer, 1000000), 0);

    timer_arm(&timer, 0, 10, 0);
    timer_update(&timer, 25);
    EXPECT_EQ(timer_wait_ms(&timer, 25), 0);
    timer_stop(&timer);
    EXPECT_EQ(timer_take(&timer, 25), 0);
    EXPECT_EQ(timer_wait_ms(&timer, 25), -1);

    timer_arm(&timer, 0, 10, 0);
    timer_update(&timer, 25);
    timer_arm(&timer, 0, 40, 25);
    EXPECT_EQ(timer_take(&timer, 26), 0);
    EXPECT_EQ(timer_wait_ms(&timer, 26), 39);
    EXPECT_EQ(timer_take(&timer, 65), 1);
}
