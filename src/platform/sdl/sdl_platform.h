// Controls of the SDL backend beyond the game's platform interface, for the
// demo and the tests. Free of SDL types.
#pragma once

#include <cstdint>

// Full screen (1, the start state) or a window at an integer scale of the
// frame (0). Alt+Enter switches between them. Kept across display_init.
void sdl_display_set_fullscreen(int32_t fullscreen);
int32_t sdl_display_fullscreen();
// Whether presenting waits for the vertical blank now: only while the frame
// timer's period is at least one refresh interval, so that waiting never
// slows the game below its timer's pace.
int32_t sdl_display_vsync();
// Which buffer the next frame draws into (1 = A).
int32_t sdl_display_draw_to_a();
// The size of the output the frame is shown on, and its pixels as last
// presented (0x00RRGGBB, w * h); 1 on success.
int32_t sdl_display_output_size(int32_t* width, int32_t* height);
int32_t sdl_display_read_output(uint32_t* pixels);

// The live window's title, and whether the mouse cursor shows over it.
const char* sdl_window_title();
int32_t sdl_window_cursor_shown();

// The mixer's output: samples per second, channels, bits per sample (16
// means signed 16-bit in the machine's order); 0 when there is no audio.
int32_t sdl_sound_output(int32_t* rate, int32_t* channels, int32_t* bits);

// Test hooks: queue SDL events as the window system would send them; the
// message loop picks them up like any other.
enum : uint16_t {
    SDL_TEST_MOD_SHIFT = 1,
    SDL_TEST_MOD_CTRL = 2,
    SDL_TEST_MOD_ALT = 4,
    SDL_TEST_MOD_NUM = 8,
};
void sdl_test_push_key(int32_t down, int32_t scancode, int32_t keycode, uint16_t modifiers,
                       int32_t repeat);
void sdl_test_push_close();            // the window manager's close button
void sdl_test_push_minimised(int32_t minimised);  // minimised, or restored
void sdl_test_push_device_reset();     // the renderer's device was lost
