// valkron-demo: the platform layer on its own.
//
//   valkron-demo [--windowed] [--size WxH] [--timer MS] [--frames N]
//
// Draws a moving test pattern every timer tick: colour bars, a gradient
// that scrolls, a square moved with the arrow keys and a bouncing dot that
// leaves a trail in the lower band (that band is never cleared, so the
// trail shows what each frame buffer kept from two frames earlier).
// Space and 1..5 play sound slots 0..4 (a slot the program carries no
// sound for gets a generated beep). Alt+Enter switches full screen and
// window. Escape quits. Every key message is printed.
#include "platform/display.h"
#include "platform/keys.h"
#include "platform/resources.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "../common/wave_writer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

static int32_t frame_width = 400;
static int32_t frame_height = 300;
static int32_t frame_limit = 0;  // 0: run until Escape
static uint32_t timer_period = 33;
static int32_t frame_count = 0;
static int32_t square_x = 180, square_y = 120;
static int32_t sounds_played = 0;

static const char* const slot_names[5] = {"#103", "#111", "#112", "#110", "#108"};

// A beep as a WAVE image: 16-bit mono at 22,050 Hz with a short fade in and out.
static std::vector<uint8_t> beep_image(double frequency, double seconds)
{
    const uint32_t rate = 22050;
    uint32_t frames = uint32_t(rate * seconds);
    std::vector<uint8_t> samples;
    for (uint32_t i = 0; i < frames; ++i) {
        double fade = std::fmin(1.0, std::fmin(i, frames - i) / (rate * 0.01));
        double v = 0.4 * fade * std::sin(2.0 * 3.14159265358979 * frequency * i / rate);
        put_u16(samples, uint16_t(int16_t(std::lround(v * 32767.0))));
    }
    return wave_image(1, rate, 16, samples);
}

static void draw_frame(uint32_t* pixels)
{
    const int32_t w = frame_width, h = frame_height;
    const int32_t band = h * 3 / 4;  // the trail band starts here
    static const uint32_t bars[8] = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00,
                                     0xFF00FF, 0xFF0000, 0x0000FF, 0x000000};
    for (int32_t y = 0; y < band; ++y) {
        uint32_t* row = pixels + y * w;
        for (int32_t x = 0; x < w; ++x) {
            if (y < h / 4) {
                row[x] = bars[x * 8 / w];
            } else {
                uint32_t r = uint32_t((x + frame_count * 2) & 0xFF);
                uint32_t g = uint32_t(y * 255 / h);
                uint32_t b = uint32_t(255 - r);
                row[x] = (r << 16) | (g << 8) | b;
            }
        }
    }
    // One-pixel frame around the picture: shows the edges are all there.
    for (int32_t x = 0; x < w; ++x) pixels[x] = pixels[(h - 1) * w + x] = 0xFF0000;
    for (int32_t y = 0; y < h; ++y) pixels[y * w] = pixels[y * w + w - 1] = 0xFF0000;
    // The square the arrows move.
    for (int32_t y = square_y; y < square_y + 40 && y < band; ++y)
        for (int32_t x = square_x; x < square_x + 40 && x < w; ++x)
            if (y >= 0 && x >= 0) pixels[y * w + x] = 0xFFFFFF;
    // The bouncing dot: drawn into the band, never cleared.
    int32_t period = 2 * (w - 8);
    int32_t pos = (frame_count * 3) % period;
    int32_t dot_x = pos < w - 8 ? pos : period - pos;
    int32_t dot_y = band + 8 + int32_t((h - band - 24) * (0.5 + 0.5 * std::sin(frame_count * 0.1)));
    for (int32_t y = dot_y; y < dot_y + 6 && y < h - 1; ++y)
        for (int32_t x = dot_x + 1; x < dot_x + 7 && x < w - 1; ++x) pixels[y * w + x] = 0x00FF80;
}

static int32_t demo_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    switch (message) {
    case WM_TIMER: {
        uint32_t* pixels = nullptr;
        if (!display_lock_frame(&pixels)) return 0;
        draw_frame(pixels);
        display_present();
        ++frame_count;
        if (frame_limit > 0 && frame_count >= frame_limit) window_send_message(window, WM_CLOSE, 0, 0);
        return 0;
    }
    case WM_KEYDOWN:
    case WM_KEYUP: {
        std::printf("%s 0x%02X%s\n", message == WM_KEYDOWN ? "down" : "up", unsigned(wparam),
                    (uint32_t(lparam) & 0x40000000u) && message == WM_KEYDOWN ? " (repeat)" : "");
        std::fflush(stdout);
        if (message == WM_KEYUP) return 0;
        if (wparam == VK_ESCAPE) {
            window_show_cursor(1);
            window_send_message(window, WM_CLOSE, 0, 0);
        } else if (wparam == VK_SPACE || (wparam >= '1' && wparam <= '5')) {
            int32_t slot = wparam == VK_SPACE ? 0 : int32_t(wparam - '1');
            int32_t started = play_sound(slot);
            sounds_played += started;
            std::printf("sound %d %s\n", slot, started ? "started" : "silent");
            std::fflush(stdout);
        } else if (wparam == VK_LEFT) {
            square_x -= 10;
        } else if (wparam == VK_RIGHT) {
            square_x += 10;
        } else if (wparam == VK_UP) {
            square_y -= 10;
        } else if (wparam == VK_DOWN) {
            square_y += 10;
        }
        return 0;
    }
    case WM_DESTROY:
        sound_shutdown();
        display_shutdown();
        window_post_quit_message(0);
        return 0;
    default:
        return window_default_proc(window, message, wparam, lparam);
    }
}

int main(int argc, char** argv)
{
    int32_t windowed = 0;
    for (int32_t i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--windowed") == 0) {
            windowed = 1;
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &frame_width, &frame_height) != 2) return 2;
        } else if (std::strcmp(argv[i], "--timer") == 0 && i + 1 < argc) {
            timer_period = uint32_t(std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frame_limit = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: valkron-demo [--windowed] [--size WxH] [--timer MS] [--frames N]\n");
            return 2;
        }
    }
    Window* window = window_create("Valkron Engine 1.0", 400, 300, demo_proc);
    if (!window) {
        std::fprintf(stderr, "valkron-demo: no window\n");
        return 1;
    }
    window_show_cursor(0);
    sound_init(window);
    for (int32_t slot = 0; slot < 5; ++slot) {
        const uint8_t* data = nullptr;
        uint32_t size = 0;
        if (find_resource(slot_names[slot], "WAVE", &data, &size)) continue;
        std::vector<uint8_t> beep = beep_image(440.0 * (1 + slot * 0.25), 0.15 + 0.1 * slot);
        sound_load_slot_from_image(slot, beep.data(), beep.size());
    }
    if (windowed) sdl_display_set_window_state({0, 0, 0});
    int32_t result = display_init(window, frame_width, frame_height);
    if (result != 0) std::fprintf(stderr, "valkron-demo: display_init %dx%d failed (%d)\n", frame_width, frame_height, result);
    window_set_timer(window, 0, timer_period);

    WindowMessage message;
    while (window_get_message(&message)) window_dispatch_message(&message);
    std::printf("frames %d, sounds %d, exit %d\n", frame_count, sounds_played, int32_t(message.wparam));
    return int32_t(message.wparam);
}
