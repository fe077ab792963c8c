// The SDL window system: the close sequence, keys from SDL events, the
// timer's rules on the real clock.
#include "platform/display.h"
#include "platform/keys.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/window.h"
#include "sdl_test_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Seen {
    uint32_t message;
    uintptr_t wparam;
    intptr_t lparam;
};

std::vector<Seen> seen;
int32_t quit_code_on_destroy = 0;

int32_t recording_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    seen.push_back({message, wparam, lparam});
    if (message == WM_DESTROY) {
        window_post_quit_message(quit_code_on_destroy);
        return 0;
    }
    if (message == WM_TIMER || message == WM_KEYDOWN || message == WM_KEYUP) return 0;
    return window_default_proc(window, message, wparam, lparam);
}

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class SdlWindow : public ::testing::Test {
protected:
    Window* window = nullptr;
    void SetUp() override
    {
        use_test_drivers();
        seen.clear();
        quit_code_on_destroy = 0;
        window = window_create("Valkron Engine 1.0", 400, 300, recording_proc);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        window_send_message(window, WM_CLOSE, 0, 0);
        WindowMessage message;
        while (window_get_message(&message)) {}
    }

    // Handles the SDL events that are waiting, then returns.
    static std::vector<Seen> pump()
    {
        size_t before = seen.size();
        window_post_quit_message(0);
        WindowMessage message;
        while (window_get_message(&message)) window_dispatch_message(&message);
        return std::vector<Seen>(seen.begin() + long(before), seen.end());
    }
};

const int32_t sc_a = 4, sc_q = 20, sc_return = 40, sc_home = 74, sc_kp_8 = 96, sc_lalt = 226;
const int32_t kc_return = '\r', kc_home = sc_home | (1 << 30), kc_kp_8 = sc_kp_8 | (1 << 30),
              kc_lalt = sc_lalt | (1 << 30);

}  // namespace

TEST_F(SdlWindow, TheWindowManagersCloseRunsCloseDestroyAndQuit)
{
    EXPECT_STREQ(sdl_window_title(), "Valkron Engine 1.0");
    quit_code_on_destroy = 5;
    sdl_test_push_close();
    sdl_test_push_close();  // a second request while the first waits
    WindowMessage message;
    int32_t code = -1;
    while (window_get_message(&message)) window_dispatch_message(&message);
    code = int32_t(message.wparam);
    EXPECT_EQ(code, 5);
    EXPECT_EQ(message.message, uint32_t(WM_QUIT));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, uint32_t(WM_CLOSE));
    EXPECT_EQ(seen[1].message, uint32_t(WM_DESTROY));
    // Gone: nothing reaches the procedure any more, and with no window the
    // loop ends instead of waiting forever.
    EXPECT_EQ(window_send_message(window, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_EQ(window_get_message(&message), 0);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(SdlWindow, SendMessageRunsTheProcedureAtOnce)
{
    EXPECT_EQ(window_default_proc(window, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_EQ(window_send_message(window, WM_CLOSE, 0, 0), 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message, uint32_t(WM_DESTROY));
    EXPECT_STREQ(sdl_window_title(), "");
    // A window can be made again after the first is gone.
    window = window_create("second", 400, 300, recording_proc);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window_create("third", 400, 300, recording_proc), nullptr);
}

TEST_F(SdlWindow, CursorHidesAndShows)
{
    window_show_cursor(0);
    EXPECT_EQ(sdl_window_cursor_shown(), 0);
    window_show_cursor(1);
    EXPECT_EQ(sdl_window_cursor_shown(), 1);
}

TEST_F(SdlWindow, KeysBecomeKeyMessagesWithRepeats)
{
    sdl_test_push_key(1, sc_a, 'a', 0, 0);
    sdl_test_push_key(1, sc_a, 'a', 0, 1);
    sdl_test_push_key(0, sc_a, 'a', 0, 0);
    sdl_test_push_key(1, 300, 300 | (1 << 30), 0, 0);  // a key without a code
    auto got = pump();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].message, uint32_t(WM_KEYDOWN));
    EXPECT_EQ(got[0].wparam, uintptr_t('A'));
    EXPECT_EQ(got[1].message, uint32_t(WM_KEYDOWN));
    EXPECT_EQ(got[2].message, uint32_t(WM_KEYUP));
    EXPECT_EQ(got[2].wparam, uintptr_t('A'));
}

TEST_F(SdlWindow, AltCombinationsNeverReachTheGame)
{
    sdl_test_push_key(1, sc_lalt, kc_lalt, SDL_TEST_MOD_ALT, 0);
    sdl_test_push_key(1, sc_home, kc_home, SDL_TEST_MOD_ALT, 0);
    sdl_test_push_key(0, sc_home, kc_home, SDL_TEST_MOD_ALT, 0);  // releases always arrive
    sdl_test_push_key(0, sc_lalt, kc_lalt, 0, 0);
    // Ctrl+Alt (AltGr) types ordinary keys.
    sdl_test_push_key(1, sc_q, 'q', SDL_TEST_MOD_ALT | SDL_TEST_MOD_CTRL, 0);
    auto got = pump();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, uint32_t(WM_KEYUP));
    EXPECT_EQ(got[0].wparam, uintptr_t(VK_HOME));
    EXPECT_EQ(got[1].message, uint32_t(WM_KEYDOWN));
    EXPECT_EQ(got[1].wparam, uintptr_t('Q'));
}

TEST_F(SdlWindow, AltEnterSwitchesFullScreenAndIsNotAKey)
{
    ASSERT_EQ(display_init(window, 400, 300), 0);
    ASSERT_EQ(sdl_display_fullscreen(), 1);
    sdl_test_push_key(1, sc_return, kc_return, SDL_TEST_MOD_ALT, 0);
    sdl_test_push_key(1, sc_return, kc_return, SDL_TEST_MOD_ALT, 1);  // held: no second switch
    sdl_test_push_key(0, sc_return, kc_return, SDL_TEST_MOD_ALT, 0);
    auto got = pump();
    EXPECT_EQ(sdl_display_fullscreen(), 0);
    for (const Seen& s : got) EXPECT_NE(s.message, uint32_t(WM_KEYDOWN));
    sdl_test_push_key(1, sc_return, kc_return, SDL_TEST_MOD_ALT, 0);
    pump();
    EXPECT_EQ(sdl_display_fullscreen(), 1);
    // Enter alone is a key.
    sdl_test_push_key(1, sc_return, kc_return, 0, 0);
    got = pump();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].wparam, uintptr_t(VK_RETURN));
}

TEST_F(SdlWindow, AReleaseReportsTheCodeItsKeyWentDownWith)
{
    sdl_test_push_key(1, sc_kp_8, kc_kp_8, SDL_TEST_MOD_NUM, 0);
    sdl_test_push_key(0, sc_kp_8, kc_kp_8, 0, 0);  // Num Lock switched off meanwhile
    sdl_test_push_key(1, sc_kp_8, kc_kp_8, 0, 0);
    auto got = pump();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].wparam, 0x68u);
    EXPECT_EQ(got[1].wparam, 0x68u);
    EXPECT_EQ(got[2].wparam, uintptr_t(VK_UP));
}

TEST_F(SdlWindow, TimerPeriodIsAtLeastTenMilliseconds)
{
    auto start = Clock::now();
    window_set_timer(window, 0, 1);
    WindowMessage message;
    int32_t ticks = 0;
    while (ticks < 6) {
        ASSERT_EQ(window_get_message(&message), 1);
        ASSERT_EQ(message.message, uint32_t(WM_TIMER));
        EXPECT_EQ(message.wparam, 0u);
        ++ticks;
    }
    // Six ticks at 10 ms each, less the clock's millisecond rounding.
    EXPECT_GE(ms_since(start), 58.0);
}

TEST_F(SdlWindow, ALongHandlerIsFollowedByOneTimerMessageNotABurst)
{
    window_set_timer(window, 0, 10);
    WindowMessage message;
    ASSERT_EQ(window_get_message(&message), 1);
    ASSERT_EQ(message.message, uint32_t(WM_TIMER));
    std::this_thread::sleep_for(std::chrono::milliseconds(75));  // seven periods
    auto after = Clock::now();
    int32_t ticks = 0;
    while (ms_since(after) < 25.0) {
        ASSERT_EQ(window_get_message(&message), 1);
        ASSERT_EQ(message.message, uint32_t(WM_TIMER));
        if (ms_since(after) < 25.0) ++ticks;
    }
    // One waiting message, then the timer's own pace: at most three more
    // in 25 ms. A queued burst would bring seven at once.
    EXPECT_GE(ticks, 1);
    EXPECT_LE(ticks, 4);
}

TEST_F(SdlWindow, KillTimerDropsAPendingMessage)
{
    window_set_timer(window, 0, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    window_kill_timer(window, 0);
    sdl_test_push_key(1, sc_a, 'a', 0, 0);
    WindowMessage message;
    ASSERT_EQ(window_get_message(&message), 1);
    EXPECT_EQ(message.message, uint32_t(WM_KEYDOWN));
    window_post_quit_message(4);
    ASSERT_EQ(window_get_message(&message), 0);
    EXPECT_EQ(message.wparam, 4u);
}

TEST_F(SdlWindow, WaitingForTheTimerDoesNotSpin)
{
    window_set_timer(window, 0, 200);
    std::clock_t cpu_start = std::clock();
    auto start = Clock::now();
    WindowMessage message;
    ASSERT_EQ(window_get_message(&message), 1);
    EXPECT_EQ(message.message, uint32_t(WM_TIMER));
    double wall = ms_since(start);
    double cpu = 1000.0 * double(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    EXPECT_GE(wall, 195.0);
    EXPECT_LT(cpu, wall / 2);
}

TEST(SdlWindowless, WithoutAWindowTheLoopEnds)
{
    use_test_drivers();
    WindowMessage message;
    message.wparam = 9;
    EXPECT_EQ(window_get_message(&message), 0);
    EXPECT_EQ(message.wparam, 0u);
    EXPECT_EQ(window_create("bad", 400, 300, nullptr), nullptr);
}
