// What the SDL window system and the SDL display share.
#pragma once

#include "platform/window.h"

#include <SDL.h>

struct Window {
    SDL_Window* sdl;
    WindowProc proc;
    int32_t alive;
};

// The live window, or null.
Window* sdl_current_window();

// Display events, from the message loop.
void sdl_display_window_hidden(int32_t hidden);  // minimised / shown again
void sdl_display_device_lost();                  // the renderer must be made anew
void sdl_display_toggle_fullscreen();            // Alt+Enter
void sdl_display_timer_period(uint32_t period_ms);  // 0 when stopped
// The window goes away: gives back everything tied to it.
void sdl_display_window_destroyed();

// Gamepads: started with the window, stopped when it goes; controller
// events from the message loop become pad messages.
void sdl_pads_start();
void sdl_pads_stop();
void sdl_pads_event(const SDL_Event& event);
