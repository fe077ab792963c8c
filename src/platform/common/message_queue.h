// What both window systems share: the queue of messages waiting for
// window_get_message, the quit message, and the Win32 rules of
// window_default_proc (WM_CLOSE destroys the window after sending it
// WM_DESTROY), window_send_message and window_post_quit_message, which
// message_queue.cpp defines for both.
//
// Each backend provides the two hooks below and its own window_get_message
// (its timer and events) around message_queue_next.
#pragma once

#include "platform/window.h"

// Backend hook: the window procedure of a live window; null for a
// destroyed or unknown one.
WindowProc window_live_proc(const Window* window);
// Backend hook: the window is being destroyed (its WM_DESTROY has been
// sent); gives back what the backend holds for it and marks it dead.
void window_release(Window* window);

// Appends a message to the queue.
void message_queue_post(const WindowMessage& message);
// Appends WM_KEYDOWN (down != 0) or WM_KEYUP with the virtual-key code (the
// game reads nothing from lParam).
void message_queue_post_key(Window* window, int32_t down, uint32_t virtual_key);
// 1 when a message of that number waits in the queue.
int32_t message_queue_holds(uint32_t message);
// The first queued message (returns 1); else a posted quit message
// (returns 0, out->wparam the exit code); else -1 and *out untouched.
int32_t message_queue_next(WindowMessage* out);
// The quit message with exit code 0, for when nothing could ever arrive;
// returns 0.
int32_t message_queue_end(WindowMessage* out);
// Empties the queue and forgets a posted quit message.
void message_queue_reset();
