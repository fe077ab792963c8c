// The SDL display on the offscreen video driver: buffers by turns, the
// frame on the output, full screen and window, loss and recovery.
#include "platform/display.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/window.h"
#include "sdl_test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

int32_t plain_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    if (message == WM_DESTROY) {
        window_post_quit_message(0);
        return 0;
    }
    return window_default_proc(window, message, wparam, lparam);
}

class SdlDisplay : public ::testing::Test {
protected:
    Window* window = nullptr;
    void SetUp() override
    {
        use_test_drivers();
        window = window_create("Valkron Engine 1.0", 400, 300, plain_proc);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        display_shutdown();
        window_send_message(window, WM_CLOSE, 0, 0);
        WindowMessage message;
        while (window_get_message(&message)) {}
        sdl_display_set_fullscreen(1);
    }
    // Lets the message loop handle the SDL events that wait.
    static void pump()
    {
        window_post_quit_message(0);
        WindowMessage message;
        while (window_get_message(&message)) window_dispatch_message(&message);
    }
    static std::vector<uint32_t> output(int32_t* width, int32_t* height)
    {
        EXPECT_EQ(sdl_display_output_size(width, height), 1);
        std::vector<uint32_t> pixels(size_t(*width) * size_t(*height));
        EXPECT_EQ(sdl_display_read_output(pixels.data()), 1);
        return pixels;
    }
    // Draws one frame: every pixel from colour(x, y).
    template <typename F> static void draw_frame(int32_t width, int32_t height, F colour)
    {
        uint32_t* pixels = nullptr;
        ASSERT_EQ(display_lock_frame(&pixels), 1);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) pixels[y * width + x] = colour(x, y);
        display_present();
    }
};

uint32_t quadrant_colour(int32_t x, int32_t y, int32_t width, int32_t height)
{
    static const uint32_t colours[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFF00};
    return colours[(x >= width / 2 ? 1 : 0) + (y >= height / 2 ? 2 : 0)];
}

}  // namespace

TEST_F(SdlDisplay, InitNeedsTheWindowAndASensibleSize)
{
    EXPECT_EQ(display_init(nullptr, 400, 300), int32_t(DISPLAY_ERR_NO_WINDOW));
    EXPECT_EQ(display_init(window, 0, 300), int32_t(DISPLAY_ERR_SIZE));
    EXPECT_EQ(display_init(window, 400, -300), int32_t(DISPLAY_ERR_SIZE));
    EXPECT_EQ(display_init(window, 100000, 300), int32_t(DISPLAY_ERR_SIZE));
    uint32_t* pixels = nullptr;
    EXPECT_EQ(display_lock_frame(&pixels), 0);
    // Failed attempts leave nothing behind that stops the next one.
    EXPECT_EQ(display_init(window, 400, 300), 0);
    EXPECT_EQ(display_lock_frame(&pixels), 1);
}

TEST_F(SdlDisplay, BuffersAlternateAndKeepWhatWasDrawnTwoFramesEarlier)
{
    ASSERT_EQ(display_init(window, 64, 48), 0);
    int32_t start = sdl_display_draw_to_a();
    uint32_t* first = nullptr;
    uint32_t* second = nullptr;
    uint32_t* third = nullptr;
    ASSERT_EQ(display_lock_frame(&first), 1);
    first[64 * 48 - 1] = 0x00123456;
    display_present();
    EXPECT_EQ(sdl_display_draw_to_a(), !start);
    ASSERT_EQ(display_lock_frame(&second), 1);
    EXPECT_NE(second, first);
    EXPECT_EQ(second[64 * 48 - 1], 0u);
    display_present();
    EXPECT_EQ(sdl_display_draw_to_a(), start);
    ASSERT_EQ(display_lock_frame(&third), 1);
    EXPECT_EQ(third, first);
    EXPECT_EQ(third[64 * 48 - 1], 0x00123456u);
}

TEST_F(SdlDisplay, MinimisedWindowLocksNothingAndKeepsTheTurn)
{
    ASSERT_EQ(display_init(window, 64, 48), 0);
    uint32_t* before = nullptr;
    ASSERT_EQ(display_lock_frame(&before), 1);
    int32_t turn = sdl_display_draw_to_a();
    sdl_test_push_minimised(1);
    pump();
    uint32_t* pixels = nullptr;
    EXPECT_EQ(display_lock_frame(&pixels), 0);
    EXPECT_EQ(display_lock_frame(&pixels), 0);
    EXPECT_EQ(sdl_display_draw_to_a(), turn);
    sdl_test_push_minimised(0);
    pump();
    ASSERT_EQ(display_lock_frame(&pixels), 1);
    EXPECT_EQ(pixels, before);
    EXPECT_EQ(sdl_display_draw_to_a(), turn);
}

TEST_F(SdlDisplay, FullScreenScalesTheFrameKeepingItsShape)
{
    const int32_t w = 640, h = 400;
    ASSERT_EQ(display_init(window, w, h), 0);
    draw_frame(w, h, [&](int32_t x, int32_t y) { return quadrant_colour(x, y, w, h); });
    int32_t ow = 0, oh = 0;
    auto out = output(&ow, &oh);
    ASSERT_GT(ow, 0);
    // The frame's largest size that fits, centred.
    double scale = std::min(double(ow) / w, double(oh) / h);
    int32_t sw = int32_t(w * scale + 0.5), sh = int32_t(h * scale + 0.5);
    int32_t left = (ow - sw) / 2, top = (oh - sh) / 2;
    EXPECT_TRUE(sw == ow || sh == oh);
    for (int32_t q = 0; q < 4; ++q) {
        int32_t fx = (q & 1) ? 3 * w / 4 : w / 4, fy = (q & 2) ? 3 * h / 4 : h / 4;
        int32_t ox = left + int32_t(fx * scale), oy = top + int32_t(fy * scale);
        EXPECT_EQ(out[size_t(oy) * ow + ox] & 0xFFFFFF, quadrant_colour(fx, fy, w, h)) << q;
    }
    if (top > 1) {
        EXPECT_EQ(out[0] & 0xFFFFFF, 0u);
        EXPECT_EQ(out[size_t(oh - 1) * ow + ow / 2] & 0xFFFFFF, 0u);
    }
    if (left > 1) {
        EXPECT_EQ(out[size_t(oh / 2) * ow] & 0xFFFFFF, 0u);
        EXPECT_EQ(out[size_t(oh / 2) * ow + ow - 1] & 0xFFFFFF, 0u);
    }
}

TEST_F(SdlDisplay, WindowedShowsWholePixelsAtAWholeScale)
{
    sdl_display_set_fullscreen(0);
    const int32_t w = 400, h = 300;
    ASSERT_EQ(display_init(window, w, h), 0);
    draw_frame(w, h, [](int32_t x, int32_t y) { return ((x + y) & 1) ? 0x00FFFFFFu : 0x00000080u; });
    int32_t ow = 0, oh = 0;
    auto out = output(&ow, &oh);
    ASSERT_EQ(ow % w, 0);
    ASSERT_EQ(oh % h, 0);
    int32_t scale = ow / w;
    EXPECT_EQ(oh / h, scale);
    EXPECT_GE(scale, 1);
    // Nearest scaling: every output pixel is exactly its frame pixel.
    for (int32_t y = 0; y < oh; y += 7)
        for (int32_t x = 0; x < ow; x += 5) {
            int32_t fx = x / scale, fy = y / scale;
            uint32_t expected = ((fx + fy) & 1) ? 0x00FFFFFFu : 0x00000080u;
            ASSERT_EQ(out[size_t(y) * ow + x] & 0xFFFFFF, expected) << x << "," << y;
        }
}

TEST_F(SdlDisplay, AFrameLargerThanTheDesktopIsTakenAndShrunkToFit)
{
    ASSERT_EQ(display_init(window, 400, 300), 0);
    int32_t desktop_w = 0, desktop_h = 0;
    ASSERT_EQ(sdl_display_output_size(&desktop_w, &desktop_h), 1);  // full screen: the desktop
    const int32_t w = desktop_w * 2, h = desktop_w;  // twice as wide as high, beyond the desktop
    sdl_display_set_fullscreen(0);
    ASSERT_EQ(display_init(window, w, h), 0);
    draw_frame(w, h, [&](int32_t x, int32_t y) { return quadrant_colour(x, y, w, h); });
    int32_t ow = 0, oh = 0;
    auto out = output(&ow, &oh);
    EXPECT_LE(ow, desktop_w);
    EXPECT_LE(oh, desktop_h);
    EXPECT_NEAR(double(ow) / oh, 2.0, 0.01);
    EXPECT_EQ(out[size_t(oh / 4) * ow + ow / 4] & 0xFFFFFF, quadrant_colour(0, 0, w, h));
    EXPECT_EQ(out[size_t(3 * oh / 4) * ow + 3 * ow / 4] & 0xFFFFFF, quadrant_colour(w - 1, h - 1, w, h));
}

TEST_F(SdlDisplay, ShutdownTwiceThenInitAgainAtAnotherSize)
{
    display_shutdown();
    ASSERT_EQ(display_init(window, 400, 300), 0);
    display_shutdown();
    display_shutdown();
    uint32_t* pixels = nullptr;
    EXPECT_EQ(display_lock_frame(&pixels), 0);
    display_present();
    EXPECT_EQ(display_restore(), 0);
    // A resolution change: the old size again without a shutdown in between.
    ASSERT_EQ(display_init(window, 800, 600), 0);
    ASSERT_EQ(display_init(window, 512, 384), 0);
    draw_frame(512, 384, [](int32_t, int32_t) { return 0x00204060u; });
    int32_t ow = 0, oh = 0;
    auto out = output(&ow, &oh);
    EXPECT_EQ(out[size_t(oh / 2) * ow + ow / 2] & 0xFFFFFF, 0x00204060u);
}

TEST_F(SdlDisplay, ALostDeviceIsMadeAnewAndTheNextFramesShow)
{
    ASSERT_EQ(display_init(window, 320, 200), 0);
    draw_frame(320, 200, [](int32_t, int32_t) { return 0x00111111u; });
    sdl_test_push_device_reset();
    pump();
    draw_frame(320, 200, [](int32_t, int32_t) { return 0x00222222u; });  // restores, shows nothing
    draw_frame(320, 200, [](int32_t, int32_t) { return 0x00333333u; });
    int32_t ow = 0, oh = 0;
    auto out = output(&ow, &oh);
    EXPECT_EQ(out[size_t(oh / 2) * ow + ow / 2] & 0xFFFFFF, 0x00333333u);
}

TEST_F(SdlDisplay, AltEnterSwitchesBetweenFullScreenAndWindow)
{
    ASSERT_EQ(display_init(window, 400, 300), 0);
    int32_t fw = 0, fh = 0;
    ASSERT_EQ(sdl_display_output_size(&fw, &fh), 1);
    sdl_test_push_key(1, 40, '\r', SDL_TEST_MOD_ALT, 0);
    pump();
    ASSERT_EQ(sdl_display_fullscreen(), 0);
    draw_frame(400, 300, [](int32_t, int32_t) { return 0x00405060u; });
    int32_t ww = 0, wh = 0;
    auto out = output(&ww, &wh);
    EXPECT_EQ(ww % 400, 0);
    EXPECT_EQ(wh % 300, 0);
    EXPECT_EQ(out[size_t(wh / 2) * ww + ww / 2] & 0xFFFFFF, 0x00405060u);
    // The choice stays through a resolution change.
    ASSERT_EQ(display_init(window, 640, 480), 0);
    EXPECT_EQ(sdl_display_fullscreen(), 0);
}

TEST_F(SdlDisplay, VsyncOnlyWhileARefreshFitsIntoTheTimersPeriod)
{
    ASSERT_EQ(display_init(window, 400, 300), 0);
    window_set_timer(window, 0, 33);
    if (!sdl_display_vsync()) GTEST_SKIP() << "this renderer offers no vsync";
    window_set_timer(window, 0, 1);  // 10 ms: faster than a 60 Hz refresh
    EXPECT_EQ(sdl_display_vsync(), 0);
    window_set_timer(window, 0, 33);
    EXPECT_EQ(sdl_display_vsync(), 1);
}

TEST_F(SdlDisplay, DestroyingTheWindowTakesTheDisplayWithIt)
{
    ASSERT_EQ(display_init(window, 400, 300), 0);
    window_send_message(window, WM_CLOSE, 0, 0);
    uint32_t* pixels = nullptr;
    EXPECT_EQ(display_lock_frame(&pixels), 0);
    display_present();
    display_shutdown();
    EXPECT_NE(display_init(window, 400, 300), 0);
}
