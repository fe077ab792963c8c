#include "shell/startup.h"

#include <cstdio>
#include <cstdlib>

#include "assets/texture.h"
#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/match.h"
#include "game/pilot.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/display.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "shell/credits.h"
#include "shell/keyboard.h"
#include "shell/menu.h"
#include "shell/pads.h"
#include "shell/pictures.h"
#include "shell/replay.h"
#include "shell/screens.h"
#include "shell/settings.h"
#include "shell/window_proc.h"

Window* main_window = nullptr;
WindowProc game_window_proc = window_proc;

void release_program_resources()
{
    release_match_models();  // a running match's aeroplanes, or the intro model
    free_shot_list();
    release_shot_model();
    std::free(view_buffer);
    view_buffer = nullptr;
    free_help_text();
    release_credits();
    release_pictures();
    engine_release();
}

namespace {

const char window_title[] = "Valkron Engine 1.0";

// A failed start-up: says which file, gives everything back, closes the
// window (engine, sound and display go with it) and ends with exit code 0.
int32_t fail_startup(const char* what)
{
    std::fprintf(stderr, "valkron: %s\n", what);
    release_program_resources();
    if (main_window) {
        window_send_message(main_window, WM_CLOSE, 0, 0);
        WindowMessage message;
        while (window_get_message(&message) != 0) {
        }
        main_window = nullptr;
    }
    return 0;
}

int32_t fail_to_read(const char* file_name)
{
    char what[96];
    std::snprintf(what, sizeof what, "cannot read %s", file_name);
    return fail_startup(what);
}

}  // namespace

void reset_program_state()
{
    reset_settings();
    read_pilot_settings();  // no options yet: two humans
    reset_modes();
    reset_menu();
    free_help_text();
    reset_credits();
    clear_controls();
    reset_key_layouts();
    reset_pads();
    reset_aircraft();
    reset_weapons();
    match_tick = 0;
    replay_end();
}

int32_t WinMain(void* /*instance*/, void* /*previous_instance*/, const char* /*command_line*/,
                int32_t /*show_command*/)
{
    reset_program_state();

    // The window, 400 x 300 whatever the settings say, without cursor.
    main_window = window_create(window_title, res_x, res_y, game_window_proc);
    if (!main_window) {
        std::fprintf(stderr, "valkron: cannot create the window\n");
        return 0;
    }
    window_show_cursor(0);

    // The default names were set by reset_program_state. The seventeen
    // explosion pictures.
    if (const char* failed = load_explosion_frames()) {
        return explosion_frames ? fail_to_read(failed) : fail_startup("out of memory for the explosion pictures");
    }

    // The settings, then the help text at the screen width they give.
    read_settings();
    read_key_settings();
    read_pad_settings();
    read_pilot_settings();
    if (replay_playing) {
        apply_replay_settings(*replay_playing);
    }
    read_help_text();

    // One player's view.
    view_buffer = allocate_pixels(view_buffer_pixels(res_x, res_y));
    if (!view_buffer) {
        char what[96];
        std::snprintf(what, sizeof what, "no memory for a screen of %d x %d", res_x, res_y);
        return fail_startup(what);
    }

    // The credits picture.
    quorba_texture = load_texture("Data\\Quorba.tex");
    if (!quorba_texture) {
        return fail_to_read("Data\\Quorba.tex");
    }
    build_warp_tables();
    credits_picture = allocate_pixels(int64_t{credits_width} * credits_height);
    if (!credits_picture) {
        return fail_startup("out of memory for the credits picture");
    }
    build_credits_picture();

    // The menu picture, scaled to the screen.
    menu_background = allocate_pixels(int64_t{res_x} * res_y);
    if (!menu_background) {
        return fail_startup("out of memory for the menu background");
    }
    if (!load_menu_background(res_x, res_y)) {
        return fail_to_read("Data\\Menu.tex");
    }

    // The aiming mark.
    target_picture = allocate_pixels(int64_t{target_width} * target_height);
    if (!target_picture) {
        return fail_startup("out of memory for the aiming mark");
    }
    if (!load_target_picture()) {
        return fail_to_read("Data\\Target.tex");
    }

    // The shot model.
    if (const char* failed = load_shot_model()) {
        return fail_to_read(failed);
    }

    // The star field seeds the random generator; the engine at full
    // screen size for the intro.
    matrix_identity(base_matrix);
    if (replay_playing) {
        generate_star_field_from(replay_playing->seed);
    } else {
        generate_star_field();
    }
    engine_init(res_x, res_y);

    // The intro comes first.
    reset_modes();
    intro_active = 1;

    if (!load_intro_model()) {
        return fail_to_read("models\\intro.3ds");
    }

    // Shots, sound and display; none of them stops the start.
    allocate_shot_list();
    sound_init(main_window);
    display_init(main_window, res_x, res_y);

    // Frames until the window is destroyed.
    window_set_timer(main_window, frame_timer_id, frame_period_ms);
    WindowMessage message;
    while (window_get_message(&message) != 0) {
        window_dispatch_message(&message);
    }

    // The engine, sound and display went with the window.
    release_program_resources();
    main_window = nullptr;
    return static_cast<int32_t>(message.wparam);
}
