// The window system the game runs on: one window, a message loop, a frame
// timer, synchronous messages and the quit message. Messages and their
// numbers follow the Win32 window system the game was written for.
//
// Two backends provide this header: SDL2 (a real window, the game binary)
// and headless (no window; tests, tools and valkron-sim).
#pragma once

#include <cstdint>

struct Window;  // opaque, owned by the backend

enum : uint32_t {
    WM_DESTROY = 0x0002,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,  // the message window_get_message returns 0 for
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_TIMER = 0x0113,
};

// Gamepads (platform/pads.h), in the range Win32 leaves to applications.
// wparam is the pad's number; lparam the button (WM_PADDOWN, WM_PADUP) or
// the axis and its value (WM_PADAXIS, pad_axis_lparam). A backend without
// pads never sends them.
enum : uint32_t {
    WM_PADDOWN = 0x8001,
    WM_PADUP = 0x8002,
    WM_PADAXIS = 0x8003,
    WM_PADPLUG = 0x8004,
    WM_PADUNPLUG = 0x8005,
};

using WindowProc = int32_t (*)(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

struct WindowMessage {
    Window* window;
    uint32_t message;
    uintptr_t wparam;
    intptr_t lparam;
};

// Creates and shows the window (client area width x height) whose messages
// go to proc. Null on failure.
Window* window_create(const char* title, int32_t width, int32_t height, WindowProc proc);

// ShowCursor: show != 0 shows the mouse cursor over the window, 0 hides it.
void window_show_cursor(int32_t show);

// SetTimer: (re)arms the window's timer; a period below 10 ms is raised to
// 10 ms. At most one WM_TIMER is ever pending; a late timer does not queue a
// burst. wparam of WM_TIMER is the id.
void window_set_timer(Window* window, uint32_t id, uint32_t period_ms);
// KillTimer: stops the timer; a WM_TIMER not yet retrieved is dropped.
void window_kill_timer(Window* window, uint32_t id);

// DefWindowProc: WM_CLOSE destroys the window, which sends WM_DESTROY to
// the window procedure first; everything else returns 0.
int32_t window_default_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// SendMessage: calls the window procedure at once and returns its result.
// Nothing is delivered to a destroyed window (returns 0).
int32_t window_send_message(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// PostQuitMessage: the next window_get_message returns 0 with this code.
void window_post_quit_message(int32_t exit_code);

// GetMessage: waits for the next message. Returns 0 when it is the quit
// message (then out->wparam is the exit code), non-zero otherwise. Key and
// close messages come before a WM_TIMER. When nothing could ever arrive (no
// window, or in the headless backend no timer either) it returns the quit
// message with code 0 instead of waiting forever.
int32_t window_get_message(WindowMessage* out);

// DispatchMessage: hands the message to the window procedure.
int32_t window_dispatch_message(const WindowMessage* message);

// Milliseconds since the program started (the C runtime's clock()).
uint32_t platform_clock_ms();
