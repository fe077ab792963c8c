// The window timer's rules, apart from any clock: a period below 10 ms is
// raised to 10 ms; the timer expires on a fixed grid of its period from the
// moment it was armed; an expiry only raises a "pending" flag, so however
// late the message loop comes back, at most one WM_TIMER waits for it.
#pragma once

#include <cstdint>

constexpr uint32_t timer_minimum_ms = 10;

struct FrameTimer {
    uint32_t id;
    uint32_t period;  // 0 when stopped
    uint64_t due;     // next expiry, in the clock's milliseconds
    int32_t pending;  // a WM_TIMER waits to be taken
};

// SetTimer: (re)arms at `now`; the first expiry is one period later. A
// message still pending from before is dropped.
void timer_arm(FrameTimer* timer, uint32_t id, uint32_t period_ms, uint64_t now);
// KillTimer: stops it and drops a pending message.
void timer_stop(FrameTimer* timer);
// Notes the expiries up to `now`: raises the pending flag once, however
// many periods went by, and moves `due` to the first grid point after now.
void timer_update(FrameTimer* timer, uint64_t now);
// 1 (and clears the flag) when a WM_TIMER is pending at `now`.
int32_t timer_take(FrameTimer* timer, uint64_t now);
// Milliseconds from `now` to the next expiry; 0 when one is pending, -1
// when the timer is stopped.
int64_t timer_wait_ms(const FrameTimer* timer, uint64_t now);
