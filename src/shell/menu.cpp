#include "shell/menu.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "assets/font.h"
#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/pilot.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/keys.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "shell/keyboard.h"
#include "shell/resolution.h"
#include "shell/screens.h"
#include "shell/replay.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/window_proc.h"

const char menu_items[menu_item_count][25] = {
    "New game",
    "Change limit",
    "Change player's 1 name",
    "Change player's 2 name",
    "Change player's 1 plane",
    "Change player's 2 plane",
    "Help",
    "Credits",
    "Change screen resolution",
    "Exit",
};

int32_t menu_item = 0;
float menu_pulse = 0.0f;
float menu_pulse_step = 0.5f;
char frag_limit_text[32];
char model_path[64];

void reset_menu()
{
    menu_item = menu_new_game;
    menu_pulse = 0.0f;
    menu_pulse_step = 0.5f;
    frag_limit_text[0] = '\0';
    model_path[0] = '\0';
}

namespace {

constexpr float pulse_top = 1.5707963f;
constexpr uint32_t menu_green = 0x0000FF00;

bool is_name_key(uint32_t key)
{
    return (key >= 0x61 && key <= 0x7A) || (key >= 0x41 && key <= 0x5A) ||
           (key >= 0x30 && key <= 0x39) || key == 0x20;
}

// The name being typed, or null.
char* edited_name()
{
    if (name_edit == 1) {
        return player_name[0];
    }
    if (name_edit == 2) {
        return player_name[1];
    }
    return nullptr;
}

void copy_plane_name(int32_t player)
{
    std::memcpy(plane_name[player], plane_names[plane_index[player]], sizeof plane_names[0]);
    plane_name[player][sizeof plane_name[player] - 1] = '\0';
}

void enter_key()
{
    if (name_edit != 0) {
        play_sound(sound_menu_choice);
        name_edit = 0;
        return;
    }
    switch (menu_item) {
    case menu_new_game:
        new_game();
        break;
    case menu_name_1:
    case menu_name_2:
        play_sound(sound_menu_choice);
        name_edit = menu_item == menu_name_1 ? 1 : 2;
        break;
    case menu_plane_1:
    case menu_plane_2:
        // Who flies it: Human, Rookie, Veteran, Ace, Human...
        play_sound(sound_menu_choice);
        cycle_pilot(menu_item == menu_plane_1 ? 0 : 1);
        break;
    case menu_help:
        play_sound(sound_menu_choice);
        help_active = 1;
        break;
    case menu_credits:
        play_sound(sound_menu_choice);
        credits_active = 1;
        break;
    case menu_exit:
        play_sound(sound_menu_choice);
        write_settings();
        window_show_cursor(1);
        window_send_message(main_window, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void left_key()
{
    if (menu_item == menu_resolution && resolution_index > 0) {
        --resolution_index;
        change_resolution(main_window, resolution_widths[resolution_index],
                          resolution_heights[resolution_index]);
    }
    if (frag_limit <= 1) {
        frag_limit = 1;
    } else if (menu_item == menu_limit) {
        --frag_limit;
    }
    for (int32_t player = 0; player < 2; ++player) {
        if (menu_item == menu_plane_1 + player) {
            if (plane_index[player] > 0) {
                --plane_index[player];
            }
            copy_plane_name(player);
        }
    }
}

void right_key()
{
    if (menu_item == menu_resolution && resolution_index < resolution_count - 1) {
        ++resolution_index;
        change_resolution(main_window, resolution_widths[resolution_index],
                          resolution_heights[resolution_index]);
    }
    if (menu_item == menu_limit && frag_limit < INT32_MAX) {
        ++frag_limit;
    }
    for (int32_t player = 0; player < 2; ++player) {
        if (menu_item == menu_plane_1 + player) {
            if (plane_index[player] < plane_count - 1) {
                ++plane_index[player];
            }
            copy_plane_name(player);
        }
    }
}

// (trunc(wave * 255) & 0xFF) << 8
uint32_t pulse_green(double wave)
{
    return (static_cast<uint32_t>(static_cast<int32_t>(wave * 255.0)) & 0xFF) << 8;
}

void menu_text(const char* text, int32_t x, int32_t y, uint32_t colour)
{
    draw_text(text, x, y, res_x, res_y, colour, engine.frame_buffer);
}

// A computer pilot's strength, one space after the plane's name and kept
// inside the 400-pixel-wide layout; nothing for a human.
void draw_pilot_beside_plane(int32_t player)
{
    if (pilot_kind[player] <= pilot_human || pilot_kind[player] >= pilot_kind_count) {
        return;
    }
    const char* pilot = pilot_names[pilot_kind[player]];
    const int32_t after_plane = 250 + 8 * (static_cast<int32_t>(std::strlen(plane_name[player])) + 1);
    const int32_t last_fit = 400 - 8 * static_cast<int32_t>(std::strlen(pilot));
    menu_text(pilot, std::min(after_plane, last_fit), 250 + 20 * player, menu_green);
}

}  // namespace

void menu_key(uint32_t key)
{
    // Typing into the name being edited; a full name takes no more.
    if (char* name = edited_name(); name && is_name_key(key)) {
        const size_t length = std::strlen(name);
        if (length < sizeof player_name[0] - 1) {
            name[length] = static_cast<char>(key);
            name[length + 1] = '\0';
        }
    }
    if (char* name = edited_name(); name && key == VK_BACK) {
        const size_t length = std::strlen(name);
        if (length > 0) {
            name[length - 1] = '\0';
        }
    }
    switch (key) {
    case VK_RETURN:
        enter_key();
        break;
    case VK_LEFT:
        left_key();
        break;
    case VK_RIGHT:
        right_key();
        break;
    case VK_UP:
        if (help_active == 1) {
            if (help_scroll > 0) {
                --help_scroll;
            }
        } else {
            play_sound(sound_menu_move);
            if (menu_item > menu_new_game) {
                --menu_item;
            }
        }
        break;
    case VK_DOWN:
        if (help_active == 1) {
            if (help_scroll < help_line_count) {
                ++help_scroll;
            }
        } else {
            play_sound(sound_menu_move);
            if (menu_item < menu_item_count - 1) {
                ++menu_item;
            }
        }
        break;
    default:
        break;
    }
}

void new_game()
{
    play_sound(sound_menu_choice);

    for (Aircraft& a : aircraft) {
        a.energy = 100;
        a.explosion_frame = 0;
        a.frags = 0;
    }
    match_winner = 0;
    shot_count = 0;
    frag_timer = 0;
    clear_controls();

    // The slots are empty here; a failed load below empties them again.
    release_match_models();
    for (int32_t player = 0; player < 2; ++player) {
        std::snprintf(model_path, sizeof model_path, "Models\\%s.tex", plane_name[player]);
        plane_texture[player] = load_texture(model_path);
        if (!plane_texture[player]) {
            release_match_models();
            return;
        }
        std::snprintf(model_path, sizeof model_path, "Models\\%s.3ds", plane_name[player]);
        plane_scene[player] = load_scene(model_path);
        if (!plane_scene[player]) {
            release_match_models();
            return;
        }
    }

    // The recording starts with the random generator as the aeroplanes
    // are placed.
    match_tick = 0;
    if (replay_recording && !replay_playing) {
        replay_begin(star_field_seed);
    }
    place_aircraft_for_new_game();
    start_pilots();
    aircraft[0].speed = 0.0f;
    aircraft[1].speed = 0.0f;
    match_active = 1;
    menu_active = 0;
}

void menu_frame()
{
    menu_pulse += menu_pulse_step;
    if (menu_pulse > pulse_top) {
        menu_pulse = pulse_top;
        menu_pulse_step = -menu_pulse_step;
    }
    if (menu_pulse < 0.0f) {
        menu_pulse = 0.0f;
        menu_pulse_step = -menu_pulse_step;
    }

    // Letters after the first are shown and stored small.
    for (char* name : player_name) {
        for (size_t i = 1; name[i] != '\0'; ++i) {
            if (name[i] >= 'A' && name[i] <= 'Z') {
                name[i] = static_cast<char>(name[i] - 'A' + 'a');
            }
        }
    }

    std::snprintf(frag_limit_text, sizeof frag_limit_text, "Frag limit : %d", frag_limit);

    const uint32_t sine_green = pulse_green(std::sin(static_cast<double>(menu_pulse)));
    const uint32_t cosine_green = pulse_green(std::cos(static_cast<double>(menu_pulse)));

    menu_text(menu_items[menu_item], 50, 150, sine_green);
    menu_text(frag_limit_text, 200, 50, menu_green);
    for (int32_t player = 0; player < 2; ++player) {
        // A computer pilot's default name shows as its strength, except
        // while the name is being typed.
        menu_text(name_edit == player + 1 ? player_name[player] : shown_player_name(player), 220,
                  240 + 20 * player, menu_green);
        menu_text(plane_name[player], 250, 250 + 20 * player, menu_green);
        draw_pilot_beside_plane(player);
    }
    if (name_edit == 1) {
        menu_text(".", 220 + 8 * static_cast<int32_t>(std::strlen(player_name[0])), 240, cosine_green);
    }
    if (name_edit == 2) {
        menu_text(".", 220 + 8 * static_cast<int32_t>(std::strlen(player_name[1])), 260, cosine_green);
    }
    if (menu_item == menu_limit || menu_item == menu_plane_1 || menu_item == menu_plane_2) {
        menu_text("Use arrows ...", 60, 255, cosine_green);
    }
}
