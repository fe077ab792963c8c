#include "shell/net_window.h"

#include <cstring>

#include "assets/font.h"
#include "engine/engine.h"
#include "platform/display.h"
#include "platform/keys.h"
#include "platform/window.h"
#include "shell/net_message.h"
#include "shell/netplay.h"
#include "shell/pads.h"
#include "shell/pictures.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/menu.h"
#include "shell/window_proc.h"

namespace {

constexpr uint32_t text_green = 0x0000FF00;
constexpr int32_t message_frames = 90;  // three seconds

uint8_t held_flags = 0;      // this machine's keys, as seat flags
uint64_t next_tick = 1;      // the lockstep tick the next frame runs
int32_t message_left = 0;    // frames the ending's reason still shows
bool session_seen = false;   // a session was open (settings to give back)
bool pads_apart = false;     // the pads fly this seat through the exchange

void text_line(const char* text, int32_t y)
{
    const int32_t x = res_x / 2 - 4 * static_cast<int32_t>(std::strlen(text));
    draw_text(text, x > 0 ? x : 0, y, res_x, res_y, text_green, engine.frame_buffer);
}

uint8_t live_flags(uint64_t, void*)
{
    return static_cast<uint8_t>(held_flags | network_pad_holds());
}

void press(int32_t down, uint32_t key)
{
    window_proc(main_window, down ? WM_KEYDOWN : WM_KEYUP, key, 0);
}

// The handshake's frame: a black screen that says what it waits for.
void waiting_frame()
{
    if (netplay_handshake(0, platform_clock_ms() * 2654435761u) == 1) {
        if (!start_match_now(net_seed)) {
            netplay_close(net_bye_left);
        }
        next_tick = 1;
        held_flags = 0;
        return;
    }
    if (net_state != net_waiting || display_lock_frame(&engine.frame_buffer) == 0) {
        return;
    }
    const int64_t count = int64_t{res_x} * res_y;
    if (count > 0) {
        std::memset(engine.frame_buffer, 0, static_cast<size_t>(count) * 4);
    }
    text_line(net_status, res_y / 2 - 10);
    text_line("Esc leaves", res_y / 2 + 10);
    display_present();
}

// One lockstep tick, when both seats' flags for it are there.
void lockstep_frame(Window* window)
{
    netplay_fill_local(next_tick, live_flags, nullptr);
    uint8_t flags[2] = {0, 0};
    const int32_t ready = netplay_inputs(next_tick, 15, flags);
    if (ready == 0) {
        return;  // the other's keys are late: this frame waits
    }
    if (ready < 0) {
        if (match_active == 1) {
            window_proc(window, WM_KEYDOWN, VK_ESCAPE, 0);  // left as Escape leaves it
        }
        return;
    }
    netplay_press_keys(flags, press);
    window_proc(window, WM_TIMER, frame_timer_id, 0);
    netplay_tick_ran(next_tick);
    ++next_tick;
    if (match_active == 0 && winner_active == 0) {
        netplay_close(net_bye_over);  // over on both, the winner shown
    }
}

// A frame without a session: the game's own, with the ending's reason
// over the menu for a while.
void plain_frame(Window* window)
{
    if (net_state == net_failed && match_active == 1) {
        window_proc(window, WM_KEYDOWN, VK_ESCAPE, 0);  // the games differ: left at once
    }
    if (session_seen && (net_state == net_failed || net_state == net_off)) {
        if (net_state == net_failed) {
            message_left = message_frames;
            net_state = net_off;
        }
        if (menu_active == 1 && intro_active == 0) {
            netplay_restore_settings();
            session_seen = false;
        }
    }
    if (message_left > 0 && menu_active == 1 && help_active == 0 && credits_active == 0 &&
        display_lock_frame(&engine.frame_buffer) != 0) {
        --message_left;
        pads_tick();
        const int64_t count = int64_t{res_x} * res_y;
        if (count > 0) {
            std::memcpy(engine.frame_buffer, menu_background, static_cast<size_t>(count) * 4);
        }
        menu_frame();
        text_line(net_status, 20);
        display_present();
        return;
    }
    window_proc(window, WM_TIMER, frame_timer_id, 0);
}

// Escape, or a pad's B or Back: the other machine is told, the match left.
void leave(Window* window)
{
    netplay_close(net_bye_left);
    if (match_active == 1) {
        window_proc(window, WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

}  // namespace

int32_t netplay_window_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    const bool open = net_state == net_waiting || net_state == net_playing;
    session_seen = session_seen || open;
    if (open != pads_apart) {
        pads_apart = open;
        if (open) {
            begin_network_pads();
        } else {
            end_replay_pads();
        }
    }
    switch (message) {
    case WM_TIMER:
        if (net_state == net_waiting) {
            waiting_frame();
        } else if (net_state == net_playing) {
            lockstep_frame(window);
        } else {
            plain_frame(window);
        }
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (!open) {
            break;
        }
        if (wparam == VK_ESCAPE && message == WM_KEYDOWN) {
            leave(window);
            return 0;
        }
        if (const uint8_t bit = netplay_key_bit(static_cast<uint32_t>(wparam))) {
            held_flags = static_cast<uint8_t>(message == WM_KEYDOWN ? held_flags | bit : held_flags & ~bit);
        }
        return 0;
    case WM_PADDOWN:
    case WM_PADUP:
    case WM_PADAXIS:
    case WM_PADPLUG:
    case WM_PADUNPLUG:
        if (!open) {
            break;
        }
        // The pads' controls reach the match through the exchange; B or
        // Back leaves as Escape does.
        if (pad_message(message, wparam, lparam) == VK_ESCAPE) {
            leave(window);
        }
        return 0;
    case WM_DESTROY:
        netplay_close(net_bye_left);
        break;
    default:
        break;
    }
    return window_proc(window, message, wparam, lparam);
}
