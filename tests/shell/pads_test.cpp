// Pads in the window procedure: the keyboard and a pad hold their own, an
// unplugged pad lets go of its holds only, a clearing waits for the repeat,
// Back leaves a match.
#include <gtest/gtest.h>

#include "platform/keys.h"
#include "platform/pads.h"
#include "platform/window.h"
#include "shell/keyboard.h"
#include "shell/pads.h"
#include "shell/window_proc.h"

namespace {

void send(uint32_t message, uintptr_t wparam, intptr_t lparam = 0)
{
    window_proc(nullptr, message, wparam, lparam);
}

struct PadsInAMatch : ::testing::Test {
    void SetUp() override
    {
        reset_pads();
        reset_key_layouts();
        clear_controls();
        reset_modes();
        match_active = 1;
        send(WM_PADPLUG, 1);
    }
    void TearDown() override
    {
        reset_pads();
        clear_controls();
        reset_modes();
    }
};

TEST_F(PadsInAMatch, KeysAndPadHoldTheirOwnAndUnpluggingLetsGoOfThePadsOnly)
{
    const intptr_t pulled = pad_axis_lparam(pad_trigger_right, 32767);
    const intptr_t let_go = pad_axis_lparam(pad_trigger_right, 0);
    send(WM_KEYDOWN, VK_INSERT);
    send(WM_PADAXIS, 1, pulled);
    send(WM_KEYUP, VK_INSERT);
    EXPECT_EQ(controls[0].accelerate, 1);  // the trigger still holds it
    send(WM_PADAXIS, 1, let_go);
    EXPECT_EQ(controls[0].accelerate, 0);
    send(WM_PADAXIS, 1, pulled);
    send(WM_KEYDOWN, VK_INSERT);
    send(WM_PADAXIS, 1, let_go);
    EXPECT_EQ(controls[0].accelerate, 1);  // the key still holds it
    send(WM_KEYUP, VK_INSERT);
    EXPECT_EQ(controls[0].accelerate, 0);

    send(WM_KEYDOWN, VK_HOME);
    send(WM_PADDOWN, 1, pad_a);
    send(WM_PADAXIS, 1, pad_axis_lparam(pad_left_x, -32768));
    EXPECT_EQ(controls[0].turn_left, 1);
    send(WM_PADUNPLUG, 1);
    EXPECT_EQ(player_pad(0), 0);
    EXPECT_EQ(controls[0].turn_left, 0);
    EXPECT_EQ(controls[0].fire, 1);  // Home is still down
    EXPECT_EQ(controls[1].turn_left + controls[1].fire, 0);
}

TEST_F(PadsInAMatch, AHoldClearedCountsAgainAfterTheRepeatDelayAndBackLeaves)
{
    send(WM_PADDOWN, 1, pad_right_shoulder);
    EXPECT_EQ(controls[0].fire, 1);
    clear_controls();  // a round starts
    for (int32_t t = 1; t < pad_repeat_delay; ++t) {
        pads_tick();
        ASSERT_EQ(controls[0].fire, 0) << t;
    }
    pads_tick();
    EXPECT_EQ(controls[0].fire, 1);
    // Held long enough already: back on the first tick after the next clearing.
    clear_controls();
    pads_tick();
    EXPECT_EQ(controls[0].fire, 1);

    send(WM_PADDOWN, 1, pad_b);  // B is nothing in a match
    EXPECT_EQ(match_active, 1);
    send(WM_PADDOWN, 1, pad_back);
    EXPECT_EQ(match_active, 0);
    EXPECT_EQ(menu_active, 1);
}

}  // namespace
