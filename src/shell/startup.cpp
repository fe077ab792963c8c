#include "shell/startup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/files.h"
#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/display.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "shell/credits.h"
#include "shell/keyboard.h"
#include "shell/menu.h"
#include "shell/screens.h"
#include "shell/settings.h"
#include "shell/window_proc.h"

const int32_t resolution_widths[resolution_count] = {400, 512, 640, 640, 800, 1024};
const int32_t resolution_heights[resolution_count] = {300, 384, 400, 480, 600, 768};

const char plane_names[plane_count][12] = {
    "Happy", "Goliash 215", "Titan Hs", "Lizard 372", "Lizard 486", "Needle",
};

int32_t res_x = 400;
int32_t res_y = 300;
int32_t frag_limit = 10;
int32_t resolution_index = 0;
int32_t plane_index[2] = {0, 0};
char plane_name[2][16] = {"Happy", "Happy"};
char player_name[2][32] = {"Player 1", "Player 2"};

uint32_t* explosion_frames = nullptr;
uint32_t* view_buffer = nullptr;
Texture* quorba_texture = nullptr;
uint32_t* credits_picture = nullptr;
uint32_t menu_picture[menu_picture_width * menu_picture_height];
uint32_t* menu_background = nullptr;
uint32_t* target_picture = nullptr;
Scene* fire_scene = nullptr;
Texture* fire_texture = nullptr;
Scene* plane_scene[2] = {nullptr, nullptr};
Texture* plane_texture[2] = {nullptr, nullptr};
Matrix4 base_matrix;
Window* main_window = nullptr;

namespace {

const char window_title[] = "Valkron Engine 1.0";
constexpr uint32_t frame_timer_id = 0;
constexpr uint32_t frame_period_ms = 33;

}  // namespace

void release_program_resources()
{
    release_match_models();  // a running match's aeroplanes, or the intro model
    free_shot_list();
    release_texture(fire_texture);
    fire_texture = nullptr;
    release_scene(fire_scene);
    fire_scene = nullptr;
    std::free(view_buffer);
    view_buffer = nullptr;
    free_help_text();
    std::free(explosion_frames);
    explosion_frames = nullptr;
    release_texture(quorba_texture);
    quorba_texture = nullptr;
    std::free(credits_picture);
    credits_picture = nullptr;
    std::free(menu_background);
    menu_background = nullptr;
    std::free(target_picture);
    target_picture = nullptr;
    engine_release();
}

namespace {

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
    res_x = 400;
    res_y = 300;
    frag_limit = 10;
    resolution_index = resolution_index_for_height(res_y);
    plane_index[0] = plane_index[1] = 0;
    std::strcpy(plane_name[0], plane_names[0]);
    std::strcpy(plane_name[1], plane_names[0]);
    std::strcpy(player_name[0], "Player 1");
    std::strcpy(player_name[1], "Player 2");

    intro_active = winner_active = menu_active = 0;
    help_active = credits_active = match_active = 0;
    screen_timer = name_edit = match_winner = 0;

    menu_item = 0;
    menu_pulse = 0.0f;
    menu_pulse_step = 0.5f;
    frag_limit_text[0] = '\0';
    model_path[0] = '\0';

    help_lines = nullptr;
    help_line_count = 0;
    help_scroll = 0;

    warp_phase_x = warp_phase_y = 0;
    warp_speed_x = 2;
    warp_speed_y = 5;
    credits_phase[0] = 3.0;
    credits_phase[1] = 2.5;
    credits_phase[2] = 1.0;

    clear_controls();
    for (Aircraft& a : aircraft) {
        a = Aircraft{};
    }
    shot_count = 0;
    frag_timer = 0;
    frag_message[0] = '\0';
}

// Texel (r, c) of the 256 x 256 texture.
static uint32_t texel(const Texture& t, int32_t row, int32_t column) { return t.pixels[row * 256 + column]; }

void build_credits_picture()
{
    std::fill(credits_picture, credits_picture + credits_width * credits_height, 0xFFFFFFFFu);
    const Texture& q = *quorba_texture;
    for (int32_t c = 0; c < 128; ++c) {
        for (int32_t k = 0; k < 172; ++k) {
            const uint32_t v = texel(q, 128 + c, 28 + k);
            if (v != key_colour) {
                credits_picture[k * credits_width + 184 + c] = v;
            }
        }
    }
    for (int32_t c = 0; c < 128; ++c) {
        for (int32_t k = 0; k < 172; ++k) {
            const uint32_t v = texel(q, c, 28 + k);
            if (v != key_colour) {
                credits_picture[k * credits_width + 8 + c] = v;
            }
        }
    }
}

int32_t resolution_index_for_height(int32_t height)
{
    for (int32_t i = 0; i < resolution_count; ++i) {
        if (resolution_heights[i] == height) {
            return i;
        }
    }
    return 0;
}

uint32_t* allocate_pixels(int64_t count)
{
    if (count < 0) {
        return nullptr;
    }
    return static_cast<uint32_t*>(std::malloc(static_cast<size_t>(std::max<int64_t>(count, 1)) * 4));
}

int64_t view_buffer_pixels(int32_t width, int32_t height)
{
    // (height / 2) x width as the view buffer is counted; a view is
    // (width / 2) x height, which is more when the height is odd.
    const int64_t counted = int64_t{height / 2} * width;
    const int64_t view = int64_t{width / 2} * height;
    if (width < 0 || height < 0) {
        return -1;
    }
    return std::max(counted, view);
}

bool load_menu_background(int32_t width, int32_t height)
{
    if (!load_picture("Data\\Menu.tex", menu_picture, menu_picture_width * menu_picture_height,
                      PictureOrder::unchanged)) {
        return false;
    }
    scale_menu_background(width, height);
    return true;
}

void scale_menu_background(int32_t width, int32_t height)
{
    const float sx = 400.0f / static_cast<float>(width);
    const float sy = 300.0f / static_cast<float>(height);
    for (int32_t x = 0; x < width; ++x) {
        const int32_t column = std::min(static_cast<int32_t>(static_cast<float>(x) * sx), menu_picture_width - 1);
        for (int32_t y = 0; y < height; ++y) {
            const int32_t row = std::min(static_cast<int32_t>(static_cast<float>(y) * sy), menu_picture_height - 1);
            menu_background[y * width + x] = menu_picture[row * menu_picture_width + column];
        }
    }
}

bool load_target_picture()
{
    if (!load_picture("Data\\Target.tex", target_picture, target_width * target_height,
                      PictureOrder::unchanged)) {
        return false;
    }
    clear_red_pixels(target_picture, target_width * target_height);
    return true;
}

void clear_red_pixels(uint32_t* pixels, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t v = pixels[i];
        if ((v >> 16) > (v & 0xFF) + 10 && (v >> 16) > ((v >> 8) & 0xFF) + 10) {
            pixels[i] = 0;
        }
    }
}

bool load_intro_model()
{
    plane_scene[0] = load_scene("models\\intro.3ds");
    if (!plane_scene[0]) {
        return false;
    }
    if (plane_scene[0]->mesh_count < 1) {
        release_scene(plane_scene[0]);
        plane_scene[0] = nullptr;
        return false;
    }
    Matrix4& local = plane_scene[0]->meshes[0].local_matrix;
    matrix_identity(local);
    matrix_rotate_y(local, 1.5707963f);
    plane_texture[0] = load_texture("models\\intro.tex");
    matrix_identity(aircraft[0].matrix);
    matrix_translate(aircraft[0].matrix, 0.0f, 65.0f, -10.0f);
    matrix_rotate_x(aircraft[0].matrix, 0.31415927f);
    return true;
}

int32_t WinMain(void* /*instance*/, void* /*previous_instance*/, const char* /*command_line*/,
                int32_t /*show_command*/)
{
    reset_program_state();

    // The window, 400 x 300 whatever the settings say, without cursor.
    main_window = window_create(window_title, res_x, res_y, window_proc);
    if (!main_window) {
        std::fprintf(stderr, "valkron: cannot create the window\n");
        return 0;
    }
    window_show_cursor(0);

    // Default names.
    std::strcpy(player_name[0], "Player 1");
    std::strcpy(player_name[1], "Player 2");
    std::strcpy(plane_name[0], plane_names[0]);
    std::strcpy(plane_name[1], plane_names[0]);

    // The seventeen explosion pictures.
    explosion_frames = allocate_pixels(int64_t{explosion_count} * explosion_pixels);
    if (!explosion_frames) {
        return fail_startup("out of memory for the explosion pictures");
    }
    for (int32_t n = 1; n <= explosion_count; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "Data\\Expl%d.tex", n);
        if (!load_picture(name, explosion_frames + (n - 1) * explosion_pixels, explosion_pixels,
                          PictureOrder::texture)) {
            return fail_to_read(name);
        }
    }

    // The settings, then the help text at the screen width they give.
    read_settings();
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
    fire_scene = load_scene("Data\\Fire.3ds");
    if (!fire_scene || fire_scene->mesh_count < 1) {
        return fail_to_read("Data\\Fire.3ds");
    }
    fire_texture = load_texture("Data\\Fire.tex");
    if (!fire_texture) {
        return fail_to_read("Data\\Fire.tex");
    }

    // The star field seeds the random generator; the engine at full
    // screen size for the intro.
    matrix_identity(base_matrix);
    generate_star_field();
    engine_init(res_x, res_y);

    // The intro comes first.
    intro_active = 1;
    winner_active = match_active = menu_active = credits_active = help_active = 0;
    screen_timer = 0;
    name_edit = 0;

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
