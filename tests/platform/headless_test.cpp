// The headless platform: the window system's message order and close
// sequence, the driver's ticks, the display's two buffers, the sound slots
// and its test controls; the frame timer rules the real window system uses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/common/frame_timer.h"
#include "platform/common/message_queue.h"
#include "platform/display.h"
#include "platform/headless.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "wave_builder.h"

namespace {

std::vector<std::string> events;  // driver calls and messages, in order

int32_t recording_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    const std::string number = std::to_string(wparam);
    switch (message) {
    case WM_TIMER: events.push_back("timer " + number); return 0;
    case WM_KEYDOWN: events.push_back("down " + number); return 0;
    case WM_KEYUP: events.push_back("up " + number); return 0;
    case WM_DESTROY: events.push_back("destroy"); window_post_quit_message(7); return 0;
    case WM_CLOSE: events.push_back("close"); break;
    default: break;
    }
    return window_default_proc(window, message, wparam, lparam);
}

class Headless : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless_reset();
        events.clear();
        window = window_create("Valkron Engine 1.0", 400, 300, recording_proc);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { headless_reset(); }
    // The game's message loop; the quit code.
    static int32_t run_loop()
    {
        WindowMessage message;
        for (int i = 0; i < 100; ++i) {
            if (!window_get_message(&message)) return int32_t(message.wparam);
            window_dispatch_message(&message);
        }
        ADD_FAILURE() << "the loop did not end";
        return -1;
    }
    Window* window = nullptr;
};

// Each tick logs itself; tick 2 brings keys, tick 3 withholds its timer
// message, tick 4 closes the window.
void drive()
{
    HeadlessDriver driver{};
    driver.begin_tick = [](uint64_t tick, void*) -> int32_t {
        events.push_back("begin " + std::to_string(tick));
        if (tick == 2) {
            headless_queue_key(1, 'W');
            headless_queue_key(0, 'W');
        }
        if (tick == 4) headless_queue_close();
        return tick < 3;
    };
    driver.end_tick = [](uint64_t tick, void*) { events.push_back("end " + std::to_string(tick)); };
    headless_set_driver(&driver);
}

TEST_F(Headless, TicksDeliverKeysFirstThenTheTimerAndACloseEndsTheLoop)
{
    drive();
    window_set_timer(window, 5, 33);
    window_kill_timer(window, 0);  // another id: not this timer
    EXPECT_EQ(headless_timer_period(), 33u);
    EXPECT_EQ(run_loop(), 7);
    EXPECT_EQ(events, (std::vector<std::string>{"begin 1", "timer 5", "end 1", "begin 2", "down 87", "up 87",
                                                "timer 5", "end 2", "begin 3", "begin 4", "close", "destroy"}));
    EXPECT_EQ(headless_tick(), 4u);
    EXPECT_EQ(headless_timer_period(), 0u);
    // The window is gone: nothing more reaches the procedure.
    EXPECT_EQ(window_send_message(window, WM_KEYDOWN, 'A', 0), 0);
    const WindowMessage stale = {window, WM_KEYDOWN, 'A', 0};
    EXPECT_EQ(window_dispatch_message(&stale), 0);
    EXPECT_EQ(events.size(), 12u);
    EXPECT_NE(window_create("again", 400, 300, recording_proc), nullptr);
}

TEST_F(Headless, SendIsSynchronousAndOnlyACloseDestroys)
{
    EXPECT_EQ(window_create("second", 400, 300, recording_proc), nullptr);
    EXPECT_EQ(window_default_proc(window, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_EQ(window_send_message(window, WM_TIMER, 3, 0), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"timer 3"}));
    int another = 0;  // a message for some other window stays queued
    Window* const other = reinterpret_cast<Window*>(&another);
    message_queue_post({other, WM_KEYDOWN, 'B', 0});
    headless_queue_key(1, 'A');
    window_send_message(window, WM_CLOSE, 0, 0);  // the whole close ran inside the call
    EXPECT_EQ(events, (std::vector<std::string>{"timer 3", "close", "destroy"}));
    WindowMessage message;
    ASSERT_EQ(window_get_message(&message), 1);
    EXPECT_EQ(message.window, other);
    EXPECT_EQ(window_get_message(&message), 0);  // the key died with the window
    EXPECT_EQ(message.message, uint32_t(WM_QUIT));
    EXPECT_EQ(message.wparam, 7u);
}

TEST_F(Headless, ResetForgetsQueueTimerDriverCursorAndClock)
{
    drive();
    window_set_timer(window, 0, 33);
    headless_queue_key(1, 'A');
    window_post_quit_message(3);
    window_show_cursor(0);
    EXPECT_EQ(headless_cursor_shown(), 0);
    headless_set_clock(123456);
    EXPECT_EQ(platform_clock_ms(), 123456u);
    headless_reset();
    EXPECT_EQ(headless_cursor_shown(), 1);
    EXPECT_LT(platform_clock_ms(), 123456u);
    WindowMessage message;
    EXPECT_EQ(window_get_message(&message), 0);
    EXPECT_EQ(message.wparam, 0u);
    EXPECT_TRUE(events.empty());
}

TEST_F(Headless, TheDisplayDrawsIntoBThenAAndSkipsFailedLocks)
{
    std::vector<std::vector<uint32_t>> shown;
    HeadlessDriver driver{};
    driver.user = &shown;
    driver.frame_presented = [](const uint32_t* pixels, int32_t width, int32_t height, void* user) {
        static_cast<std::vector<std::vector<uint32_t>>*>(user)->emplace_back(pixels, pixels + width * height);
    };
    headless_set_driver(&driver);
    headless_set_display_limit(640, 480);
    for (auto size : {std::pair{641, 400}, {400, 481}, {0, 300}, {400, -1}, {display_max_size + 1, 1}}) {
        EXPECT_NE(display_init(nullptr, size.first, size.second), 0);
    }
    uint32_t* first = nullptr;
    EXPECT_EQ(display_lock_frame(&first), 0);
    display_present();
    ASSERT_EQ(display_init(nullptr, 4, 3), 0);
    ASSERT_EQ(display_lock_frame(&first), 1);
    first[11] = 0x112233;
    display_present();
    uint32_t* second = nullptr;
    headless_fail_next_locks(2);
    EXPECT_EQ(display_lock_frame(&second), 0);
    EXPECT_EQ(display_lock_frame(&second), 0);
    EXPECT_EQ(headless_draw_to_a(), 1);
    ASSERT_EQ(display_lock_frame(&second), 1);
    EXPECT_NE(second, first);
    EXPECT_EQ(second[11], 0u);  // a fresh buffer is black
    display_present();
    uint32_t* third = nullptr;
    ASSERT_EQ(display_lock_frame(&third), 1);
    EXPECT_EQ(third, first);  // still holding what was drawn two frames earlier
    ASSERT_EQ(shown.size(), 2u);
    std::vector<uint32_t> expected(12, 0);
    expected[11] = 0x112233;
    EXPECT_EQ(shown[0], expected);
    display_shutdown();
    display_shutdown();
    EXPECT_EQ(display_lock_frame(&third), 0);
    EXPECT_EQ(display_restore(), 0);
}

TEST_F(Headless, SoundSlotsPlayWhenLoadedWithAPlayableClip)
{
    std::vector<int32_t> played;
    HeadlessDriver driver{};
    driver.user = &played;
    driver.sound_played = [](int32_t slot, void* user) { static_cast<std::vector<int32_t>*>(user)->push_back(slot); };
    headless_set_driver(&driver);
    const auto beep = wave_image(1, 11025, 16, tone_samples(1, 11025, 16, 100, {440}, 0.5));
    EXPECT_EQ(sound_load_slot_from_image(2, beep.data(), beep.size()), 0);  // before sound_init
    EXPECT_EQ(play_sound(2), 0);
    ASSERT_EQ(sound_init(nullptr), 1);
    EXPECT_EQ(sound_load_slot_from_image(2, beep.data(), beep.size()), 1);
    EXPECT_EQ(sound_load_slot_from_image(4, beep.data(), beep.size()), 1);
    auto broken = beep;
    broken[8] = 'X';
    EXPECT_EQ(sound_load_slot_from_image(4, broken.data(), broken.size()), 0);  // empties the slot
    EXPECT_EQ(sound_load_slot_from_image(5, beep.data(), beep.size()), 0);
    EXPECT_EQ(sound_load_slot_from_image(-1, beep.data(), beep.size()), 0);
    for (int32_t slot : {2, 4, 5, -1, 2}) play_sound(slot);
    EXPECT_EQ(played, (std::vector<int32_t>{2, 2}));
    EXPECT_EQ(sound_shutdown(), 1);
    EXPECT_EQ(play_sound(2), 0);
    EXPECT_EQ(played.size(), 2u);
}

TEST(FrameTimer, ExpiresOnAGridOfItsPeriodWithOneMessageAtATime)
{
    FrameTimer timer = {};
    EXPECT_EQ(timer_wait_ms(&timer, 0), -1);  // stopped
    timer_arm(&timer, 7, 1, 1000);            // below 10 ms: 10 ms
    EXPECT_EQ(timer.id, 7u);
    EXPECT_EQ(timer_take(&timer, 1009), 0);
    EXPECT_EQ(timer_take(&timer, 1010), 1);
    timer_arm(&timer, 0, 33, 100);
    EXPECT_EQ(timer_take(&timer, 132), 0);
    EXPECT_EQ(timer_take(&timer, 133), 1);
    // Taken 57 ms late: one message, and the next expiry stays on the grid.
    EXPECT_EQ(timer_take(&timer, 190), 1);
    EXPECT_EQ(timer_take(&timer, 190), 0);
    EXPECT_EQ(timer_wait_ms(&timer, 190), 9);
    timer_update(&timer, 240);
    timer_update(&timer, 400);
    EXPECT_EQ(timer_wait_ms(&timer, 400), 0);
    EXPECT_EQ(timer_take(&timer, 400), 1);
    EXPECT_EQ(timer_take(&timer, 400), 0);
    // Re-arming and stopping drop a pending message.
    timer_update(&timer, 500);
    timer_arm(&timer, 0, 40, 500);
    EXPECT_EQ(timer_take(&timer, 539), 0);
    EXPECT_EQ(timer_take(&timer, 540), 1);
    timer_update(&timer, 600);
    timer_stop(&timer);
    EXPECT_EQ(timer_take(&timer, 600), 0);
}

}  // namespace
