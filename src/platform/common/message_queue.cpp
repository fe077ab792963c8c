// The message queue and the window rules both window systems share.
#include "platform/common/message_queue.h"

#include <deque>

static std::deque<WindowMessage> message_queue;
static int32_t quit_posted = 0;
static int32_t quit_code = 0;

int32_t window_default_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    (void)wparam;
    (void)lparam;
    if (message == WM_CLOSE && window_live_proc(window)) {
        window_send_message(window, WM_DESTROY, 0, 0);
        window_release(window);
        // Messages still queued for the window die with it.
        for (auto it = message_queue.begin(); it != message_queue.end();) {
            it = it->window == window ? message_queue.erase(it) : it + 1;
        }
    }
    return 0;
}

int32_t window_send_message(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    WindowProc proc = window_live_proc(window);
    return proc ? proc(window, message, wparam, lparam) : 0;
}

void window_post_quit_message(int32_t exit_code)
{
    quit_posted = 1;
    quit_code = exit_code;
}

void message_queue_post(const WindowMessage& message)
{
    message_queue.push_back(message);
}

void message_queue_post_key(Window* window, int32_t down, uint32_t virtual_key)
{
    message_queue.push_back({window, uint32_t(down ? WM_KEYDOWN : WM_KEYUP), virtual_key, 0});
}

int32_t message_queue_holds(uint32_t message)
{
    for (const WindowMessage& queued : message_queue)
        if (queued.message == message) return 1;
    return 0;
}

int32_t message_queue_next(WindowMessage* out)
{
    if (!message_queue.empty()) {
        *out = message_queue.front();
        message_queue.pop_front();
        return 1;
    }
    if (quit_posted) {
        quit_posted = 0;
        *out = {nullptr, WM_QUIT, uintptr_t(intptr_t(quit_code)), 0};
        return 0;
    }
    return -1;
}

int32_t message_queue_end(WindowMessage* out)
{
    *out = {nullptr, WM_QUIT, 0, 0};
    return 0;
}

void message_queue_reset()
{
    message_queue.clear();
    message_queue.shrink_to_fit();
    quit_posted = 0;
    quit_code = 0;
}
