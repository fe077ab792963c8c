#include "shell/window_proc.h"

#include <cstring>

#include "engine/engine.h"
#include "game/match.h"
#include "game/pilot.h"
#include "game/world.h"
#include "platform/display.h"
#include "platform/keys.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "shell/credits.h"
#include "shell/keyboard.h"
#include "shell/menu.h"
#include "shell/pads.h"
#include "shell/screens.h"
#include "shell/pictures.h"
#include "shell/replay.h"
#include "shell/settings.h"
#include "shell/startup.h"

int32_t intro_active = 0;
int32_t winner_active = 0;
int32_t menu_active = 0;
int32_t help_active = 0;
int32_t credits_active = 0;
int32_t match_active = 0;

int32_t screen_timer = 0;
int32_t name_edit = 0;
int32_t match_winner = 0;

void reset_modes()
{
    intro_active = winner_active = menu_active = help_active = credits_active = match_active = 0;
    screen_timer = name_edit = match_winner = 0;
}

void darken_frame(uint32_t* frame, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = frame[i];
        const uint32_t red = (p >> 18) & 0xFF;
        const uint32_t green = (p >> 10) & 0x3F;
        const uint32_t blue = (p >> 2) & 0x3F;
        frame[i] = (red << 16) | (green << 8) | blue;
    }
}

namespace {

int32_t frame_pixel_count()
{
    if (res_x <= 0 || res_y <= 0) {
        return 0;
    }
    return res_x * res_y;
}

// One WM_TIMER: lock, draw the current screen, present. A failed lock skips
// the tick whole.
void run_frame()
{
    if (display_lock_frame(&engine.frame_buffer) == 0) {
        return;
    }
    if (intro_active == 1) {
        intro_frame();
        display_present();
        return;
    }
    if (winner_active == 1) {
        winner_frame();
        display_present();
        return;
    }
    if (menu_active == 1) {
        const int32_t count = frame_pixel_count();
        if (count > 0) {
            std::memcpy(engine.frame_buffer, menu_background, static_cast<size_t>(count) * 4);
        }
        if (help_active == 1) {
            darken_frame(engine.frame_buffer, count);
            draw_help();
        } else if (credits_active == 1) {
            darken_frame(engine.frame_buffer, count);
            credits_frame();
        } else {
            menu_frame();
        }
        display_present();
        return;
    }
    if (match_active == 1) {
        match_frame();  // presents the frame itself
        return;
    }
    display_present();
}

void escape_key(Window* window)
{
    if (match_active == 0 && intro_active == 0 && winner_active == 0 && help_active == 0 &&
        credits_active == 0) {
        // The plain menu (also while a name is typed): save and leave.
        write_settings();
        window_show_cursor(1);
        window_send_message(window, WM_CLOSE, 0, 0);
    } else if (intro_active == 1) {
        screen_timer = 995;
    } else if (winner_active == 1) {
        screen_timer = 995;
    } else if (match_active == 1) {
        release_match_models();
        match_active = 0;
        menu_active = 1;
    } else if (help_active == 1) {
        help_active = 0;
    } else if (credits_active == 1) {
        credits_active = 0;
    }
}

// A key going down, from the keyboard or a pad.
void key_pressed(Window* window, uint32_t key)
{
    if (key == VK_ESCAPE) {
        escape_key(window);
    } else if (match_active == 1) {
        key_down(key);
    } else if (menu_active == 1) {
        menu_key(key);
    }
}

// A replay's key reaches the match as the keyboard's did.
void deliver_replay_event(const ReplayEvent& event)
{
    if (event.message == WM_KEYDOWN) {
        key_pressed(main_window, static_cast<uint32_t>(event.wparam));
    } else {
        key_up(static_cast<uint32_t>(event.wparam));
    }
}

// After a message: when the match is over, its recording is saved (it
// ended at end_tick); the replay that played it gives the player's own
// settings back once the winner has been shown (the screen size stays the
// replay's).
void after_match_message(uint64_t end_tick)
{
    if (match_active == 1) {
        return;
    }
    if (replay_recorded()) {
        replay_mark_end(end_tick, winner_active == 1);
        replay_save();
        replay_end();
    }
    if (replay_playing && winner_active == 0) {
        replay_playing = nullptr;
        const int32_t width = res_x, height = res_y;
        reset_settings();
        read_settings();
        res_x = width;
        res_y = height;
        resolution_index = resolution_index_for_height(res_y);
        reset_key_layouts();
        read_key_settings();
        read_pilot_settings();
    }
}

// A key message from the keyboard or a pad: in a match, recorded; while a
// replay plays its match, only Escape counts.
void key_message(Window* window, uint32_t message, uint32_t key)
{
    if (match_active == 1) {
        if (replay_playing && key != VK_ESCAPE) {
            return;
        }
        replay_key(match_tick + 1, message, key);
    }
    if (message == WM_KEYDOWN) {
        key_pressed(window, key);
    } else {
        key_up(key);
    }
    after_match_message(match_tick + 1);
}

}  // namespace

int32_t window_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    switch (message) {
    case WM_TIMER:
        if (replay_playing && intro_active == 1) {
            // A replay's match in place of the intro, from the first tick.
            start_replay_match(*replay_playing);
        }
        if (match_active == 1) {
            ++match_tick;
            play_replay_tick(match_tick, deliver_replay_event);
        }
        if (!replay_playing || match_active == 0) {
            pads_tick();
        }
        run_frame();
        after_match_message(match_tick);
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        key_message(window, message, static_cast<uint32_t>(wparam));
        return 0;
    case WM_PADDOWN:
    case WM_PADUP:
    case WM_PADAXIS:
    case WM_PADPLUG:
    case WM_PADUNPLUG:
        // A pad's key for the screens: Enter, Escape or an arrow (in a
        // match only Escape; its flight controls are held directly).
        if (replay_playing && match_active == 1 && message != WM_PADDOWN) {
            return 0;
        }
        if (const uint32_t key = pad_message(message, wparam, lparam)) {
            if (!replay_playing || match_active == 0 || key == VK_ESCAPE) {
                key_pressed(window, key);
            }
        }
        after_match_message(match_tick + 1);
        return 0;
    case WM_DESTROY:
        // A match the window closes on is kept up to its last frame.
        if (replay_recorded() && match_active == 1) {
            replay_mark_end(match_tick + 1, false);
            replay_save();
            replay_end();
        }
        engine_release();
        sound_shutdown();
        display_shutdown();
        window_post_quit_message(0);
        return 0;
    default:
        return window_default_proc(window, message, wparam, lparam);
    }
}
