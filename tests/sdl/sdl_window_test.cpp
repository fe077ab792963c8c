// The SDL window system: the close sequence, keys from SDL events, the
// timer's rules on the real clock, and no window where nothing can show.
#include "platform/display.h"
#include "platform/keys.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/window.h"
#include "sdl_test_env.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace {

struct Seen {
    uint32_t message;
    uintptr_t wparam;
};
std::vector<Seen> seen;

int32_t recording_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    seen.push_back({message, wparam});
    if (message == WM_DESTROY) {
        window_post_quit_message(5);
        return 0;
    }
    return message == WM_CLOSE ? window_default_proc(window, message, wparam, lparam) : 0;
}

double ms_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The messages the waiting SDL events give.
std::vector<Seen> pump()
{
    const size_t before = seen.size();
    window_post_quit_message(0);
    WindowMessage message;
    while (window_get_message(&message)) window_dispatch_message(&message);
    return std::vector<Seen>(seen.begin() + long(before), seen.end());
}

class SdlWindow : public ::testing::Test {
protected:
    Window* window = nullptr;
    void SetUp() override
    {
        use_test_drivers();
        seen.clear();
        window = window_create("Valkron Engine 1.0", 400, 300, recording_proc);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        window_send_message(window, WM_CLOSE, 0, 0);
        pump();
    }
};

const int32_t sc_a = 4, sc_q = 20, sc_return = 40, sc_home = 74, sc_kp_8 = 96, sc_lalt = 226;
const int32_t kc_home = sc_home | (1 << 30), kc_kp_8 = sc_kp_8 | (1 << 30), kc_lalt = sc_lalt | (1 << 30);

}  // namespace

TEST_F(SdlWindow, TheWindowManagersCloseRunsCloseDestroyAndQuitOnce)
{
    EXPECT_STREQ(SDL_GetWindowTitle(window->sdl), "Valkron Engine 1.0");
    window_show_cursor(0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    window_show_cursor(1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(window_create("second", 400, 300, recording_proc), nullptr);
    push_window_event(SDL_WINDOWEVENT_CLOSE);
    push_window_event(SDL_WINDOWEVENT_CLOSE);  // a second request while the first waits
    WindowMessage message;
    while (window_get_message(&message)) window_dispatch_message(&message);
    EXPECT_EQ(message.wparam, 5u);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message * 1000 + seen[1].message, uint32_t(WM_CLOSE * 1000 + WM_DESTROY));
    // Gone: nothing reaches the procedure, the loop ends instead of
    // waiting forever, and a new window can be made.
    EXPECT_EQ(window_send_message(window, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_EQ(window_get_message(&message), 0);
    EXPECT_EQ(seen.size(), 2u);
    window = window_create("again", 400, 300, recording_proc);
    EXPECT_NE(window, nullptr);
}

TEST_F(SdlWindow, KeysAltCombinationsAndReleases)
{
    ASSERT_EQ(display_init(window, 400, 300), 0);
    push_key(1, sc_a, 'a');
    push_key(1, sc_a, 'a', 0, 1);                  // a repeat is a key press too
    push_key(0, sc_a, 'a');
    push_key(1, 300, 300 | (1 << 30));              // a key without a code
    push_key(1, sc_lalt, kc_lalt, KMOD_LALT);       // Alt itself, and keys while it is held,
    push_key(1, sc_home, kc_home, KMOD_LALT);       // are the system's
    push_key(0, sc_home, kc_home, KMOD_LALT);       // but releases always arrive
    push_key(1, sc_q, 'q', KMOD_LALT | KMOD_LCTRL);  // Ctrl+Alt (AltGr) types
    push_key(1, sc_kp_8, kc_kp_8, KMOD_NUM);
    push_key(0, sc_kp_8, kc_kp_8);  // Num Lock off meanwhile: released as it went down
    push_key(1, sc_kp_8, kc_kp_8);
    push_key(1, sc_return, '\r', KMOD_LALT);     // Alt+Enter: a window
    push_key(1, sc_return, '\r', KMOD_LALT, 1);  // held: no second switch
    push_key(0, sc_return, '\r', KMOD_LALT);
    const std::vector<Seen> expected = {{WM_KEYDOWN, 'A'}, {WM_KEYDOWN, 'A'},    {WM_KEYUP, 'A'},
                                        {WM_KEYUP, VK_HOME}, {WM_KEYDOWN, 'Q'}, {WM_KEYDOWN, 0x68},
                                        {WM_KEYUP, 0x68},    {WM_KEYDOWN, VK_UP}, {WM_KEYUP, VK_RETURN}};
    const std::vector<Seen> got = pump();
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].message, expected[i].message) << i;
        EXPECT_EQ(got[i].wparam, expected[i].wparam) << i;
    }
    EXPECT_EQ(sdl_display_window_state().fullscreen, 0);
    push_key(1, sc_return, '\r', KMOD_LALT);
    pump();
    EXPECT_EQ(sdl_display_window_state().fullscreen, 1);
}

TEST_F(SdlWindow, TimerKeepsItsPeriodWithoutBurstsOrSpinning)
{
    // At least 10 ms a tick, the id in wparam.
    auto start = std::chrono::steady_clock::now();
    window_set_timer(window, 7, 1);
    WindowMessage message;
    for (int32_t tick = 0; tick < 6; ++tick) {
        ASSERT_EQ(window_get_message(&message), 1);
        ASSERT_EQ(message.message, uint32_t(WM_TIMER));
        EXPECT_EQ(message.wparam, 7u);
    }
    EXPECT_GE(ms_since(start), 58.0);
    // A long handler is followed by one waiting tick, not a burst.
    std::this_thread::sleep_for(std::chrono::milliseconds(75));
    start = std::chrono::steady_clock::now();
    int32_t ticks = 0;
    while (ms_since(start) < 25.0 && window_get_message(&message)) ticks += ms_since(start) < 25.0;
    EXPECT_TRUE(ticks >= 1 && ticks <= 4) << ticks;
    // Waiting for a slow timer sleeps.
    window_set_timer(window, 7, 200);
    const std::clock_t cpu = std::clock();
    start = std::chrono::steady_clock::now();
    ASSERT_EQ(window_get_message(&message), 1);
    EXPECT_GE(ms_since(start), 195.0);
    EXPECT_LT(1000.0 * double(std::clock() - cpu) / CLOCKS_PER_SEC, 100.0);
    // Killing the timer drops the tick due.
    window_set_timer(window, 7, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    window_kill_timer(window, 7);
    push_key(1, sc_a, 'a');
    ASSERT_EQ(window_get_message(&message), 1);
    EXPECT_EQ(message.message, uint32_t(WM_KEYDOWN));
}

TEST(SdlNoWindow, NothingIsMadeWhereNothingCanShow)
{
    use_test_drivers();
    WindowMessage message;
    message.wparam = 9;
    EXPECT_EQ(window_get_message(&message), 0);  // no window: the loop ends
    EXPECT_EQ(message.wparam, 0u);
    EXPECT_EQ(window_create("no procedure", 400, 300, nullptr), nullptr);
    // The drivers that show nothing are taken only when asked for by name.
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DISPLAY");
    EXPECT_STREQ(sdl_video_open(), "no display: set DISPLAY or WAYLAND_DISPLAY");
    EXPECT_EQ(window_create("Valkron Engine 1.0", 400, 300, recording_proc), nullptr);
    setenv("DISPLAY", "/nowhere:0", 1);
    EXPECT_STREQ(sdl_video_open(), "no display: cannot open DISPLAY=/nowhere:0");
    setenv("DISPLAY", "", 1);  // an empty DISPLAY is none, even with X asked for
    setenv("SDL_VIDEODRIVER", "x11", 1);
    EXPECT_STREQ(sdl_video_open(), "no display: set DISPLAY or WAYLAND_DISPLAY");
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    EXPECT_EQ(sdl_video_open(), nullptr);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
