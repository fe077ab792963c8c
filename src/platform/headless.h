// Control of the headless backend by whoever runs the program (valkron-sim,
// tests, tools). The headless window system delivers one timer tick after
// another with no waiting; before each tick it asks the driver for the
// tick's key events.
#pragma once

#include <cstdint>

struct HeadlessDriver {
    // Before timer tick `tick` (counted from 1) is delivered. The driver may
    // queue key messages and a close; they are delivered before the tick.
    // Return 0 to deliver no WM_TIMER for this tick (for example after
    // queueing a close).
    int32_t (*begin_tick)(uint64_t tick, void* user);
    // After the WM_TIMER of `tick` was handled. Not called for a tick whose
    // WM_TIMER was withheld (begin_tick returned 0) or dropped (the timer
    // was stopped or re-armed by one of the tick's keys).
    void (*end_tick)(uint64_t tick, void* user);
    // display_present showed this frame (width x height pixels).
    void (*frame_presented)(const uint32_t* pixels, int32_t width, int32_t height, void* user);
    // play_sound started slot.
    void (*sound_played)(int32_t slot, void* user);
    void* user;
};

// Installs the driver (copied); null removes it. Without a driver the timer
// runs on forever and nothing is reported.
void headless_set_driver(const HeadlessDriver* driver);

// Queue messages for the game's window, delivered in order before the next
// timer tick: WM_KEYDOWN / WM_KEYUP with a virtual-key code, or a close by
// the window system (WM_CLOSE reaching the window procedure).
void headless_queue_key(int32_t down, uint32_t virtual_key);
void headless_queue_close();
// Queue a pad message (WM_PADDOWN, WM_PADUP, WM_PADAXIS, WM_PADPLUG or
// WM_PADUNPLUG with its wparam and lparam, platform/pads.h), in order with
// the keys.
void headless_queue_pad(uint32_t message, uintptr_t wparam, intptr_t lparam);

// What platform_clock_ms() returns from now on (a fixed seed for the game's
// random generator). Without a call it reports real milliseconds.
void headless_set_clock(uint32_t milliseconds);

// Test controls: display_init refuses sizes larger than this (0 = any);
// the next n locks fail. (Otherwise the headless display takes any size
// from 1 x 1 to display_max_size squared, with or without a window.)
void headless_set_display_limit(int32_t max_width, int32_t max_height);
void headless_fail_next_locks(int32_t n);

// The number of the latest tick begun (0 before the first; a tick whose
// WM_TIMER was withheld still counts); whether the cursor is shown; the
// current timer period (0 when stopped, at least 10 otherwise); which
// buffer the next frame draws into (1 = A).
uint64_t headless_tick();
int32_t headless_cursor_shown();
uint32_t headless_timer_period();
int32_t headless_draw_to_a();

// Resets the backend to its start state (between tests in one process).
void headless_reset();
