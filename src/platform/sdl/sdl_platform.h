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
