// The window procedure, the mode flags and the frame dispatch.
#pragma once

#include <cstdint>

struct Window;

// Mode flags, 0 or 1. Outside a transition exactly one of intro, winner,
// menu and match is 1; help and credits are overlays on the menu.
extern int32_t intro_active;
extern int32_t winner_active;
extern int32_t menu_active;
extern int32_t help_active;
extern int32_t credits_active;
extern int32_t match_active;

extern int32_t screen_timer;  // frame counter of the intro and winner screens
extern int32_t name_edit;     // 0, or 1 / 2 while that player's name is typed
extern int32_t match_winner;  // 1 or 2

// Every flag and counter 0.
void reset_modes();

int32_t window_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// Each channel divided by four (count pixels).
void darken_frame(uint32_t* frame, int32_t count);
