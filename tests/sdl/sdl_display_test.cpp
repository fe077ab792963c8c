// The SDL display on the offscreen video driver: buffers by turns, the
// frame on the screen with every game pixel the same size, through the
// window's surface and through SDL's renderer; the window's state; loss
// and recovery.
#include "platform/display.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sharp_scale.h"
#include "platform/window.h"
#include "sdl_test_env.h"

namespace {

int32_t plain_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    if (message == WM_DESTROY) window_post_quit_message(0);
    return window_default_proc(window, message, wparam, lparam);
}

std::vector<SdlWindowState> reported;

class SdlDisplay : public ::testing::Test {
protected:
    Window* window = nullptr;
    // A window; SDL's renderer when a driver is named, else the surface.
    void open(const char* render_driver)
    {
        use_test_drivers();
        if (render_driver) setenv("SDL_RENDER_DRIVER", render_driver, 1);
        reported.clear();
        sdl_display_on_window_state([](const SdlWindowState& state) { reported.push_back(state); });
        window = window_create("Valkron Engine 1.0", 400, 300, plain_proc);
        ASSERT_NE(window, nullptr);
    }
    void SetUp() override { open(nullptr); }
    void TearDown() override
    {
        window_send_message(window, WM_CLOSE, 0, 0);
        pump();
        sdl_display_on_window_state(nullptr);
        sdl_display_set_window_state({1, 0, 0});
    }
    static void pump()
    {
        window_post_quit_message(0);
        WindowMessage message;
        while (window_get_message(&message)) window_dispatch_message(&message);
    }
    // Draws and shows one frame; how far the screen is from the frame
    // scaled by area.
    int32_t show(const std::vector<uint32_t>& frame, int32_t width, int32_t height)
    {
        uint32_t* pixels = nullptr;
        EXPECT_EQ(display_lock_frame(&pixels), 1);
        if (pixels) std::copy(frame.begin(), frame.end(), pixels);
        display_present();
        SDL_Surface* screen = SDL_GetWindowSurface(window->sdl);
        return area_scaling_error(frame, width, height, static_cast<const uint32_t*>(screen->pixels),
                                  size_t(screen->pitch) / 4, screen->w, screen->h);
    }
};

// Every pixel of strong contrast with its neighbours.
std::vector<uint32_t> pattern(int32_t width, int32_t height)
{
    std::vector<uint32_t> frame(size_t(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            frame[size_t(y) * width + x] = ((x ^ y) & 1) ? 0x00FFFFFFu : uint32_t(x * 7 % 256) << 8 | 0x40;
    return frame;
}

}  // namespace

TEST_F(SdlDisplay, BuffersAlternateAndAMinimisedWindowKeepsTheTurn)
{
    int another_window = 0;  // only the game's own window takes a display
    for (Window* w : {static_cast<Window*>(nullptr), reinterpret_cast<Window*>(&another_window)})
        EXPECT_EQ(display_init(w, 400, 300), int32_t(DISPLAY_ERR_NO_WINDOW));
    for (int32_t width : {0, -400, display_max_size + 1}) EXPECT_EQ(display_init(window, width, 300), int32_t(DISPLAY_ERR_SIZE));
    uint32_t *first = nullptr, *second = nullptr, *third = nullptr;
    EXPECT_EQ(display_lock_frame(&first), 0);
    ASSERT_EQ(display_init(window, 64, 48), 0);
    ASSERT_EQ(display_lock_frame(&first), 1);
    first[64 * 48 - 1] = 0x00123456;
    display_present();
    ASSERT_EQ(display_lock_frame(&second), 1);
    EXPECT_NE(second, first);
    EXPECT_EQ(second[64 * 48 - 1], 0u);
    display_present();
    push_window_event(SDL_WINDOWEVENT_MINIMIZED);
    pump();
    EXPECT_EQ(display_lock_frame(&third), 0);
    push_window_event(SDL_WINDOWEVENT_RESTORED);
    pump();
    ASSERT_EQ(display_lock_frame(&third), 1);
    EXPECT_EQ(third, first);  // with what was drawn two frames earlier
    EXPECT_EQ(third[64 * 48 - 1], 0x00123456u);
    display_shutdown();
    display_shutdown();
    EXPECT_EQ(display_lock_frame(&third), 0);
}

TEST_F(SdlDisplay, EveryGamePixelTheSameSizeThroughSurfaceAndRenderer)
{
    // Full screen on the offscreen driver's 1024 x 768 desktop and windows
    // of whole-number, fractional and smaller sizes. Tolerance: none at a
    // whole-number scale; a quarter of the contrast where the frame is
    // enlarged by 2 or more before the linear pass (nearest-pixel scaling
    // misses by up to half of it); below that only a sane picture.
    const struct {
        int32_t width, height, window_width, window_height, tolerance;
    } cases[] = {{400, 300, 0, 0, 64},       {400, 300, 1200, 900, 0}, {320, 200, 1000, 700, 64},
                 {640, 400, 0, 0, 110},      {512, 384, 300, 260, 160}};
    for (const char* driver : {(const char*)nullptr, "software"}) {
        TearDown();
        open(driver);
        for (const auto& c : cases) {
            sdl_display_set_window_state({c.window_width == 0, c.window_width, c.window_height});
            ASSERT_EQ(display_init(window, c.width, c.height), 0);
            EXPECT_EQ(SDL_GetRenderer(window->sdl) != nullptr, driver != nullptr);
            EXPECT_LE(show(pattern(c.width, c.height), c.width, c.height), c.tolerance)
                << (driver ? driver : "surface") << " " << c.width << "x" << c.height << " in " << c.window_width;
        }
    }
    // The picture's edges show the frame's edge pixels alone (nothing from
    // past them).
    TearDown();
    open(nullptr);
    ASSERT_EQ(display_init(window, 400, 300), 0);
    std::vector<uint32_t> edges(400 * 300, 0x00101010u);
    for (int32_t y = 0; y < 300; ++y) {
        edges[size_t(y) * 400] = 0x000000FFu;
        edges[size_t(y) * 400 + 399] = 0x00FF0000u;
    }
    show(edges, 400, 300);
    SDL_Surface* screen = SDL_GetWindowSurface(window->sdl);
    for (int32_t y = 0; y < screen->h; ++y) {
        const uint32_t* row = static_cast<const uint32_t*>(screen->pixels) + size_t(y) * size_t(screen->pitch) / 4;
        ASSERT_EQ(row[0] & 0xFFFFFF, 0x0000FFu) << y;
        ASSERT_EQ(row[screen->w - 1] & 0xFFFFFF, 0xFF0000u) << y;
    }
    // A renderer whose device was reset is made anew by the next present,
    // which shows nothing new; the following frames show.
    SDL_Event reset = {};
    reset.type = SDL_RENDER_DEVICE_RESET;
    SDL_PushEvent(&reset);
    pump();
    const std::vector<uint32_t> grey(400 * 300, 0x00333333u);
    show(std::vector<uint32_t>(400 * 300, 0x00222222u), 400, 300);
    EXPECT_LE(show(grey, 400, 300), 1);
}

TEST_F(SdlDisplay, TheWindowRemembersAltEnterAndTheSizeThePlayerGaveIt)
{
    ASSERT_EQ(display_init(window, 400, 300), 0);
    sdl_display_toggle_fullscreen();
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].fullscreen, 0);
    EXPECT_EQ(reported[0].width, 0);
    EXPECT_EQ(show(pattern(400, 300), 400, 300), 0);  // a whole-number scale
    push_window_event(SDL_WINDOWEVENT_RESIZED, 700, 500);
    pump();
    push_window_event(SDL_WINDOWEVENT_RESIZED, 700, 500);  // the same again: nothing new
    push_window_event(SDL_WINDOWEVENT_RESIZED, 700, 520);
    push_window_event(SDL_WINDOWEVENT_RESIZED, 700, 500);
    pump();
    ASSERT_EQ(reported.size(), 4u);
    EXPECT_EQ(reported[3].width, 700);
    EXPECT_EQ(reported[3].height, 500);
    // Kept through a resolution change, full screen and back.
    ASSERT_EQ(display_init(window, 640, 480), 0);
    sdl_display_toggle_fullscreen();
    push_window_event(SDL_WINDOWEVENT_RESIZED, 300, 300);  // full screen: not the window's size
    pump();
    sdl_display_toggle_fullscreen();
    ASSERT_EQ(reported.size(), 6u);
    EXPECT_EQ(reported[5].fullscreen, 0);
    EXPECT_EQ(reported[5].width, 700);
    int32_t width = 0, height = 0;
    SDL_GetWindowSize(window->sdl, &width, &height);
    EXPECT_EQ(width, 700);
    EXPECT_EQ(height, 500);
    // A destroyed window takes the display with it.
    window_send_message(window, WM_CLOSE, 0, 0);
    uint32_t* pixels = nullptr;
    EXPECT_EQ(display_lock_frame(&pixels), 0);
    EXPECT_NE(display_init(window, 400, 300), 0);
}

TEST(SharpScale, AScalerKeptForAnotherSizeDrawsAsANewOne)
{
    // Each of the four sizes changed alone, from the same first size.
    const int32_t first[4] = {400, 300, 1000, 700};
    for (int32_t changed = 0; changed < 4; ++changed) {
        int32_t size[4] = {first[0], first[1], first[2], first[3]};
        size[changed] += changed < 2 ? -80 : 120;
        std::vector<uint32_t> kept_out(size_t(size[2]) * size[3]), fresh_out(kept_out.size());
        std::vector<uint32_t> scratch(size_t(first[2]) * first[3]);
        SharpScaler kept, fresh;
        sharp_scale(kept, pattern(first[0], first[1]).data(), first[0], first[1], scratch.data(), first[2], first[2],
                    first[3]);
        const std::vector<uint32_t> frame = pattern(size[0], size[1]);
        sharp_scale(kept, frame.data(), size[0], size[1], kept_out.data(), size[2], size[2], size[3]);
        sharp_scale(fresh, frame.data(), size[0], size[1], fresh_out.data(), size[2], size[2], size[3]);
        EXPECT_EQ(kept_out, fresh_out) << "size " << changed << " changed";
    }
}
