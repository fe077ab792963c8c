// The window procedure of a network match (valkron --host / --join): in
// front of the game's own, it waits for the opponent with a line on the
// screen, starts the match with the agreed seed, and turns each frame into
// a lockstep tick: this machine's keys become its seat's flags, both seats'
// flags reach the game as key messages, and the frame runs only when both
// are there. When the session ends (the match is over, the other left or
// fell silent, the games differ) the game goes on alone: a running match
// is left as Escape leaves it (and its replay saved), the reason stays on
// the screen for three seconds, and the menu gets the player's own
// settings back.
#pragma once

#include <cstdint>

struct Window;

int32_t netplay_window_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
