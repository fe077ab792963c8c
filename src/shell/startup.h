// Program entry: the window, the frame timer, start-up and clean-up.
#pragma once

#include <cstdint>

#include "platform/window.h"

struct Window;

// The game's one window, and the procedure it is created with (the
// game's own unless a network match stands in front of it).
extern Window* main_window;
extern WindowProc game_window_proc;

// The frame timer: id 0, one WM_TIMER every 33 ms; 1 ms right after a
// resolution change.
constexpr uint32_t frame_timer_id = 0;
constexpr uint32_t frame_period_ms = 33;
constexpr uint32_t fast_frame_period_ms = 1;

// Every module's state at its program-start value (settings defaults, mode
// flags, menu, help and credits phases, controls, the match), so that one
// process can run the game more than once.
void reset_program_state();

// Everything start-up and the run allocated, freed (null-safe), so that
// the normal end, a failed start-up and a test leave nothing behind.
void release_program_resources();

// The program: start-up, message loop, clean-up. Returns the exit code.
int32_t WinMain(void* instance, void* previous_instance, const char* command_line,
                int32_t show_command);
