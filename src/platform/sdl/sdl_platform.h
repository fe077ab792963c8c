// Controls of the SDL backend beyond the game's platform interface, for the
// program's entry (src/main.cpp). Free of SDL types.
#pragma once

#include <cstdint>

// Starts SDL's video. Null when a window can be made; otherwise one line
// for the player saying why not. The "offscreen" and "dummy" drivers,
// which show nothing, are taken only when SDL_VIDEODRIVER names them.
const char* sdl_video_open();

// How the player left the window: full screen (1, the start state) or a
// window (0), switched with Alt+Enter; and the window's size when the
// player resized it (0 x 0: a whole-number scale of the frame that fits
// the desktop). Kept across display_init.
struct SdlWindowState {
    int32_t fullscreen;
    int32_t width;
    int32_t height;
};
void sdl_display_set_window_state(const SdlWindowState& state);
SdlWindowState sdl_display_window_state();
// Called with the new state whenever the player changes it.
void sdl_display_on_window_state(void (*changed)(const SdlWindowState& state));
