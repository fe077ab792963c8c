// The headless window system: message order, the close sequence, and the
// driver's ticks.
#include "platform/headless.h"
#include "platform/keys.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Seen {
    uint32_t message;
    uintptr_t wparam;
    intptr_t lparam;
};

std::vector<Seen> seen;
std::vector<std::string> events;  // driver calls and messages, in order
Window* created = nullptr;
int32_t destroy_quit_code = 0;
// What the procedure does on a key: 1 = kill the timer, 2 = close the window.
uint32_t kill_timer_on_key = 0;

int32_t recording_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    seen.push_back({message, wparam, lparam});
    switch (message) {
    case WM_TIMER: events.push_back("timer"); return 0;
    case WM_KEYDOWN:
        events.push_back("down " + std::to_string(wparam));
        if (wparam == kill_timer_on_key) window_kill_timer(window, 0);
        return 0;
    case WM_KEYUP: events.push_back("up " + std::to_string(wparam)); return 0;
    case WM_DESTROY:
        events.push_back("destroy");
        window_post_quit_message(destroy_quit_code);
        return 0;
    case WM_CLOSE: events.push_back("close"); break;
    default: break;
    }
    return window_default_proc(window, message, wparam, lparam);
}

class HeadlessWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless_reset();
        seen.clear();
        events.clear();
        destroy_quit_code = 0;
        kill_timer_on_key = 0;
        created = window_create("Valkron Engine 1.0", 400, 300, recording_proc);
        ASSERT_NE(created, nullptr);
    }
    void TearDown() override { headless_reset(); }

    // Runs the loop as the game does; returns the quit code.
    static int32_t run_loop(int32_t limit = 1000)
    {
        WindowMessage message;
        for (int32_t i = 0; i < limit; ++i) {
            if (!window_get_message(&message)) return int32_t(message.wparam);
            window_dispatch_message(&message);
        }
        ADD_FAILURE() << "the loop did not end";
        return -1;
    }
};

}  // namespace

TEST_F(HeadlessWindow, CloseDestroysTheWindowThenTheLoopEndsWithTheQuitCode)
{
    destroy_quit_code = 7;
    headless_queue_close();
    EXPECT_EQ(run_loop(), 7);
    EXPECT_EQ(events, (std::vector<std::string>{"close", "destroy"}));

    // The window is gone: nothing more reaches the procedure.
    EXPECT_EQ(window_send_message(created, WM_KEYDOWN, 'A', 0), 0);
    WindowMessage stale = {created, WM_KEYDOWN, 'A', 0};
    EXPECT_EQ(window_dispatch_message(&stale), 0);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(HeadlessWindow, SendMessageIsSynchronousAndDefaultProcClosesOnlyOnClose)
{
    EXPECT_EQ(window_default_proc(created, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_EQ(window_default_proc(created, WM_TIMER, 0, 0), 0);
    EXPECT_TRUE(events.empty());
    window_send_message(created, WM_CLOSE, 0, 0);
    // The whole close ran inside the call.
    EXPECT_EQ(events, (std::vector<std::string>{"close", "destroy"}));
    WindowMessage message;
    EXPECT_EQ(window_get_message(&message), 0);
    EXPECT_EQ(message.message, uint32_t(WM_QUIT));
    // A new window can be made after the old one is gone.
    EXPECT_NE(window_create("again", 400, 300, recording_proc), nullptr);
}

TEST_F(HeadlessWindow, OnlyOneWindowAtATime)
{
    EXPECT_EQ(window_create("second", 400, 300, recording_proc), nullptr);
    EXPECT_EQ(window_create("no procedure", 400, 300, nullptr), nullptr);
}

TEST_F(HeadlessWindow, WithNothingToWaitForTheLoopEndsWithCodeZero)
{
    WindowMessage message;
    message.wparam = 99;
    EXPECT_EQ(window_get_message(&message), 0);
    EXPECT_EQ(message.wparam, 0u);
    // Queued keys come first.
    headless_queue_key(1, 'A');
    EXPECT_EQ(window_get_message(&message), 1);
    EXPECT_EQ(message.message, uint32_t(WM_KEYDOWN));
    EXPECT_EQ(window_get_message(&message), 0);
}

TEST_F(HeadlessWindow, KeyMessagesCarryTheCodeAndWin32KeyFlags)
{
    headless_queue_key(1, VK_HOME);
    headless_queue_key(0, VK_HOME);
    window_post_quit_message(0);
    run_loop();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, uint32_t(WM_KEYDOWN));
    EXPECT_EQ(seen[0].wparam, uintptr_t(VK_HOME));
    EXPECT_EQ(seen[1].message, uint32_t(WM_KEYUP));
}

TEST_F(HeadlessWindow, TimerPeriodFollowsSetAndKill)
{
    EXPECT_EQ(headless_timer_period(), 0u);
    window_set_timer(created, 0, 33);
    EXPECT_EQ(headless_timer_period(), 33u);
    window_set_timer(created, 0, 1);
    EXPECT_EQ(headless_timer_period(), 10u);
    window_kill_timer(created, 1);  // another id: not this timer
    EXPECT_EQ(headless_timer_period(), 10u);
    window_kill_timer(created, 0);
    EXPECT_EQ(headless_timer_period(), 0u);
}

namespace {

struct TickLog {
    std::vector<std::string>* events;
    uint64_t close_at;
    uint64_t skip_at;
};

int32_t begin_tick(uint64_t tick, void* user)
{
    TickLog* log = static_cast<TickLog*>(user);
    log->events->push_back("begin " + std::to_string(tick));
    if (tick == 2) {
        headless_queue_key(1, 'W');
        headless_queue_key(0, 'W');
    }
    if (tick == log->skip_at) return 0;
    if (tick == log->close_at) {
        headless_queue_close();
        return 0;
    }
    return 1;
}

void end_tick(uint64_t tick, void* user)
{
    static_cast<TickLog*>(user)->events->push_back("end " + std::to_string(tick));
}

// Installs a driver that logs its ticks into log.
void drive(TickLog& log)
{
    HeadlessDriver driver = {};
    driver.begin_tick = begin_tick;
    driver.end_tick = end_tick;
    driver.user = &log;
    headless_set_driver(&driver);
}

}  // namespace

TEST_F(HeadlessWindow, TicksRunKeysFirstThenTheTimerThenEndTick)
{
    TickLog log = {&events, 4, 3};
    drive(log);
    window_set_timer(created, 0, 33);
    EXPECT_EQ(run_loop(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{
                          "begin 1", "timer", "end 1",
                          "begin 2", "down 87", "up 87", "timer", "end 2",
                          "begin 3",  // no timer this tick
                          "begin 4", "close", "destroy"}));
    EXPECT_EQ(headless_tick(), 4u);
    EXPECT_EQ(headless_timer_period(), 0u);
}

TEST_F(HeadlessWindow, KillingTheTimerDropsTheTicksPendingMessage)
{
    TickLog log = {&events, 3, 0};
    drive(log);
    kill_timer_on_key = 'W';  // tick 2's key stops the timer
    window_set_timer(created, 0, 33);
    EXPECT_EQ(run_loop(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"begin 1", "timer", "end 1", "begin 2", "down 87", "up 87"}));
    EXPECT_EQ(headless_tick(), 2u);
}

TEST_F(HeadlessWindow, TimerMessagesCarryTheTimerId)
{
    window_set_timer(created, 5, 33);
    WindowMessage message;
    ASSERT_EQ(window_get_message(&message), 1);
    EXPECT_EQ(message.message, uint32_t(WM_TIMER));
    EXPECT_EQ(message.wparam, 5u);
    EXPECT_EQ(message.window, created);
    EXPECT_EQ(headless_tick(), 1u);
}

TEST_F(HeadlessWindow, CursorAndClock)
{
    EXPECT_EQ(headless_cursor_shown(), 1);
    window_show_cursor(0);
    EXPECT_EQ(headless_cursor_shown(), 0);
    window_show_cursor(1);
    EXPECT_EQ(headless_cursor_shown(), 1);

    headless_set_clock(123456);
    EXPECT_EQ(platform_clock_ms(), 123456u);
    headless_reset();
    EXPECT_EQ(headless_cursor_shown(), 1);
    EXPECT_LT(platform_clock_ms(), 123456u);
}

TEST_F(HeadlessWindow, ResetForgetsQueueTimerAndDriver)
{
    int32_t calls = 0;
    HeadlessDriver driver = {};
    driver.begin_tick = [](uint64_t, void* user) {
        ++*static_cast<int32_t*>(user);
        return 1;
    };
    driver.user = &calls;
    headless_set_driver(&driver);
    window_set_timer(created, 0, 33);
    headless_queue_key(1, 'A');
    window_post_quit_message(3);
    headless_reset();
    WindowMessage message;
    EXPECT_EQ(window_get_message(&message), 0);
    EXPECT_EQ(message.wparam, 0u);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(headless_tick(), 0u);
    EXPECT_TRUE(seen.empty());
}
