// The headless window system: one window that is never shown, and a timer
// whose ticks follow one another with no waiting. Before each tick the
// driver may queue the tick's keys; they are delivered first, then the
// tick's WM_TIMER.
#include "platform/common/clock.h"
#include "platform/common/frame_timer.h"
#include "platform/common/message_queue.h"
#include "platform/headless/headless_internal.h"
#include "platform/window.h"

struct Window {
    WindowProc proc;
    int32_t alive;
};

HeadlessDriver headless_driver = {};

static Window the_window = {};
static uint32_t timer_id = 0;
static uint32_t timer_period = 0;  // 0 when stopped
static int32_t timer_pending = 0;  // this tick's WM_TIMER is still to come
static uint64_t tick_count = 0;
static int32_t cursor_shown = 1;
static int32_t clock_set = 0;
static uint32_t clock_value = 0;

static int32_t window_alive(const Window* window)
{
    return window == &the_window && the_window.alive;
}

Window* window_create(const char* title, int32_t width, int32_t height, WindowProc proc)
{
    (void)title;
    if (!proc || width <= 0 || height <= 0 || the_window.alive) return nullptr;
    the_window.proc = proc;
    the_window.alive = 1;
    return &the_window;
}

void window_show_cursor(int32_t show)
{
    cursor_shown = show ? 1 : 0;
}

void window_set_timer(Window* window, uint32_t id, uint32_t period_ms)
{
    if (!window_alive(window)) return;
    timer_id = id;
    timer_period = period_ms < timer_minimum_ms ? timer_minimum_ms : period_ms;
    timer_pending = 0;
}

void window_kill_timer(Window* window, uint32_t id)
{
    if (!window_alive(window) || id != timer_id) return;
    timer_period = 0;
    timer_pending = 0;
}

WindowProc window_live_proc(const Window* window)
{
    return window_alive(window) ? window->proc : nullptr;
}

void window_release(Window* window)
{
    window->alive = 0;
    timer_period = 0;
    timer_pending = 0;
}

int32_t window_get_message(WindowMessage* out)
{
    for (;;) {
        int32_t queued = message_queue_next(out);
        if (queued >= 0) return queued;
        if (timer_pending) {
            timer_pending = 0;
            *out = {&the_window, WM_TIMER, timer_id, 0};
            return 1;
        }
        // Nothing could ever arrive: end the loop instead of hanging.
        if (timer_period == 0 || !the_window.alive) return message_queue_end(out);
        ++tick_count;
        int32_t deliver = 1;
        if (headless_driver.begin_tick) deliver = headless_driver.begin_tick(tick_count, headless_driver.user);
        // The driver may have stopped the timer (say, by closing the window).
        timer_pending = deliver && timer_period != 0 && the_window.alive;
    }
}

int32_t window_dispatch_message(const WindowMessage* message)
{
    if (!message || !window_alive(message->window)) return 0;
    int32_t result = window_send_message(message->window, message->message, message->wparam, message->lparam);
    if (message->message == WM_TIMER && headless_driver.end_tick)
        headless_driver.end_tick(tick_count, headless_driver.user);
    return result;
}

uint32_t platform_clock_ms()
{
    return clock_set ? clock_value : platform_real_clock_ms();
}

void headless_set_driver(const HeadlessDriver* driver)
{
    headless_driver = driver ? *driver : HeadlessDriver{};
}

void headless_queue_key(int32_t down, uint32_t virtual_key)
{
    message_queue_post_key(&the_window, down, virtual_key);
}

void headless_queue_close()
{
    message_queue_post({&the_window, WM_CLOSE, 0, 0});
}

void headless_queue_pad(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    message_queue_post({&the_window, message, wparam, lparam});
}

void headless_set_clock(uint32_t milliseconds)
{
    clock_set = 1;
    clock_value = milliseconds;
}

uint64_t headless_tick()
{
    return tick_count;
}

int32_t headless_cursor_shown()
{
    return cursor_shown;
}

uint32_t headless_timer_period()
{
    return timer_period;
}

void headless_reset()
{
    message_queue_reset();
    the_window = {};
    timer_id = 0;
    timer_period = 0;
    timer_pending = 0;
    tick_count = 0;
    cursor_shown = 1;
    clock_set = 0;
    clock_value = 0;
    headless_driver = {};
    headless_display_reset();
    headless_sound_reset();
}
