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

// Where a new window goes (a window of the size asked for, centred, may
// stand) and the flags it needs for the display's mode.
uint32_t sdl_display_first_place(SDL_Rect* place);

// Whether a window manager runs on the X server of DISPLAY (x11_check.cpp,
// apart for X11's own names); 1 when that cannot be told.
int32_t x11_window_manager_running();

// Display events, from the message loop.
void sdl_display_window_hidden(int32_t hidden);  // minimised / shown again
void sdl_display_window_resized(int32_t width, int32_t height);  // by the player or the window manager
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

// The game's icon, 64 x 64 pixels RGBA (generated from the game's data).
extern const uint8_t window_icon_rgba[64 * 64 * 4];
