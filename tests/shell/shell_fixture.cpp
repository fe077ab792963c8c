#include "shell_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "assets/texture.h"
#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/display.h"
#include "platform/headless.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "shell/credits.h"
#include "shell/menu.h"
#include "shell/screens.h"
#include "game/match.h"
#include "game/weapons.h"
#include "game/world.h"
#include "shell/credits.h"
#include "shell/pictures.h"
#include "shell/screens.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/window_proc.h"
#include "scene_builders.h"
#include "wave_builder.h"

Settings current_settings()
{
    return {res_x, res_y, resolution_index, frag_limit, {plane_index[0], plane_index[1]},
            {plane_name[0], plane_name[1]}, {player_name[0], player_name[1]}};
}

void PrintTo(const Settings& s, std::ostream* os)
{
    *os << s.res_x << " x " << s.res_y << " (index " << s.resolution_index << "), limit " << s.frag_limit
        << ", planes " << s.plane_index[0] << " \"" << s.plane_name[0] << "\" and " << s.plane_index[1] << " \""
        << s.plane_name[1] << "\", names \"" << s.player_name[0] << "\" and \"" << s.player_name[1] << "\"";
}

std::vector<uint8_t> picture_bytes(const std::vector<uint32_t>& pixels, bool rgb_records)
{
    std::vector<uint8_t> out;
    out.reserve(pixels.size() * 4);
    for (uint32_t p : pixels) {
        if (rgb_records) {
            out.push_back(static_cast<uint8_t>(p >> 16));
            out.push_back(static_cast<uint8_t>(p >> 8));
            out.push_back(static_cast<uint8_t>(p));
            out.push_back(0);
        } else {
            for (int b = 0; b < 4; ++b) {
                out.push_back(static_cast<uint8_t>(p >> (8 * b)));
            }
        }
    }
    return out;
}

void write_test_game(const ScratchDir& dir)
{
    // Folders and names in other letter cases than the game asks for.
    dir.make_dir("data");
    dir.make_dir("models");

    dir.write("FONTS.TEX", picture_bytes(std::vector<uint32_t>(256 * 256, 0x00FFFFFF), true));

    for (int32_t n = 1; n <= explosion_count; ++n) {
        std::vector<uint32_t> pixels(explosion_pixels);
        for (int32_t i = 0; i < explosion_pixels; ++i) {
            pixels[i] = explosion_test_pixel(n, i);
        }
        dir.write("data/expl" + std::to_string(n) + ".TEX", picture_bytes(pixels, true));
    }

    std::vector<uint32_t> menu(menu_picture_width * menu_picture_height);
    for (int32_t y = 0; y < menu_picture_height; ++y) {
        for (int32_t x = 0; x < menu_picture_width; ++x) {
            menu[y * menu_picture_width + x] = menu_test_pixel(x, y);
        }
    }
    dir.write("data/MENU.tex", picture_bytes(menu, false));

    std::vector<uint32_t> target(target_width * target_height, target_other);
    target[0] = target_red;
    target[1] = target_pink;
    target[2] = target_grey;
    target[3] = target_green;
    dir.write("data/target.tex", picture_bytes(target, false));

    std::vector<uint32_t> quorba(256 * 256);
    for (int32_t r = 0; r < 256; ++r) {
        for (int32_t c = 0; c < 256; ++c) {
            quorba[r * 256 + c] = quorba_test_texel(r, c);
        }
    }
    dir.write("data/quorba.tex", picture_bytes(quorba, true));

    dir.write("data/fire.3DS", one_triangle_3ds("Shot", {{0, 0, 0}, {2, 0, 0}, {0, 0, 2}}));
    dir.write("data/fire.tex", picture_bytes(std::vector<uint32_t>(256 * 256, 0x00FFA000), true));

    std::vector<uint32_t> intro(256 * 256);
    for (int32_t i = 0; i < 256 * 256; ++i) {
        intro[i] = static_cast<uint32_t>(i) | 0x00010000;
    }
    dir.write("models/Intro.3ds", one_triangle_3ds("Intro", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));
    dir.write("models/INTRO.TEX", picture_bytes(intro, true));

    for (const char* plane : {"Happy", "Goliash 215", "Needle"}) {
        dir.write(std::string("models/") + plane + ".3ds", one_triangle_3ds("Tail", {{0, 0, 0}, {5, 0, 0}, {0, 0, 5}}));
        dir.write(std::string("models/") + plane + ".tex",
                  picture_bytes(std::vector<uint32_t>(256 * 256, 0x00406080), true));
    }

    std::string help;
    for (int i = 0; i < 60; ++i) {
        help += "Help line " + std::to_string(i) + "\n";
    }
    dir.write("data/PAK0.PAK", help);
}

namespace {

void record_sound(int32_t slot, void* user)
{
    auto* self = static_cast<ShellTest*>(user);
    self->sounds.push_back(slot);
    self->current.sounds.push_back(slot);
}

}  // namespace

void ShellTest::SetUp()
{
    write_test_game(dir);
    cwd = std::make_unique<ScopedWorkingDirectory>(dir.path());
    headless_reset();
    reset_program_state();
    install_driver();
}

void ShellTest::install_driver()
{
    HeadlessDriver driver{};
    driver.user = this;
    driver.sound_played = record_sound;
    driver.frame_presented = [](const uint32_t* pixels, int32_t width, int32_t height, void* user) {
        auto* self = static_cast<ShellTest*>(user);
        self->last.width = width;
        self->last.height = height;
        self->last.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height);
        ++self->frames_shown;
        self->current.presented = true;
        if (self->frame_hook) {
            self->frame_hook(headless_tick(), self->last);
        }
    };
    driver.begin_tick = [](uint64_t tick, void* user) -> int32_t {
        auto* self = static_cast<ShellTest*>(user);
        self->current = TickRecord{};
        self->current.tick = tick;
        if (tick > self->tick_limit) {
            headless_queue_close();
            return 0;
        }
        while (self->next_key < self->script.size() && self->script[self->next_key].tick <= tick) {
            const KeyAt& k = self->script[self->next_key++];
            if (k.tick == tick) {
                headless_queue_key(k.down, k.key);
            }
        }
        return 1;
    };
    driver.end_tick = [](uint64_t tick, void* user) {
        auto* self = static_cast<ShellTest*>(user);
        TickRecord& r = self->current;
        r.tick = tick;
        r.intro = intro_active;
        r.winner = winner_active;
        r.menu = menu_active;
        r.help = help_active;
        r.credits = credits_active;
        r.match = match_active;
        r.screen_timer = screen_timer;
        r.menu_item = menu_item;
        r.res_x = res_x;
        r.res_y = res_y;
        self->ticks.push_back(r);
        self->current = TickRecord{};
    };
    headless_set_driver(&driver);
}

void ShellTest::TearDown()
{
    if (menu_started) {
        // What WinMain's end and the window's destruction give back.
        if (main_window) {
            window_send_message(main_window, WM_CLOSE, 0, 0);
            WindowMessage m;
            while (window_get_message(&m) != 0) {
            }
        }
        release_program_resources();
    }
    main_window = nullptr;
    headless_reset();
    cwd.reset();
}

void ShellTest::start_menu(int32_t width, int32_t height)
{
    menu_started = true;
    res_x = width;
    res_y = height;
    resolution_index = resolution_index_for_height(height);
    main_window = window_create("Valkron Engine 1.0", 400, 300, window_proc);
    ASSERT_NE(main_window, nullptr);
    sound_init(main_window);
    ASSERT_TRUE(load_tiny_sounds());
    ASSERT_EQ(display_init(main_window, width, height), 0);

    explosion_frames = allocate_pixels(int64_t{explosion_count} * explosion_pixels);
    for (int32_t i = 0; i < explosion_count * explosion_pixels; ++i) {
        explosion_frames[i] = explosion_test_pixel(i / explosion_pixels + 1, i % explosion_pixels);
    }
    read_help_text();
    view_buffer = allocate_pixels(view_buffer_pixels(width, height));
    quorba_texture = load_texture("Data\\Quorba.tex");
    ASSERT_NE(quorba_texture, nullptr);
    build_warp_tables();
    credits_picture = allocate_pixels(credits_width * credits_height);
    build_credits_picture();
    menu_background = allocate_pixels(int64_t{width} * height);
    ASSERT_TRUE(load_menu_background(width, height));
    target_picture = allocate_pixels(target_width * target_height);
    ASSERT_TRUE(load_target_picture());
    fire_scene = load_scene("Data\\Fire.3ds");
    fire_texture = load_texture("Data\\Fire.tex");
    ASSERT_NE(fire_scene, nullptr);
    matrix_identity(base_matrix);
    allocate_shot_list();
    ASSERT_NE(engine_init(width / 2, height), 0);
    ASSERT_NE(engine.font_texture, nullptr);
    window_set_timer(main_window, 0, 33);

    intro_active = winner_active = match_active = help_active = credits_active = 0;
    menu_active = 1;
}

void ShellTest::tick()
{
    window_proc(main_window, WM_TIMER, 0, 0);
}

void ShellTest::key(uint32_t vk, bool down)
{
    window_proc(main_window, down ? WM_KEYDOWN : WM_KEYUP, vk, 0);
}

int32_t ShellTest::run_game(const std::vector<KeyAt>& keys, uint64_t max_ticks,
                            std::function<void(uint64_t, const Frame&)> on_frame)
{
    script = keys;
    std::stable_sort(script.begin(), script.end(),
                     [](const KeyAt& a, const KeyAt& b) { return a.tick < b.tick; });
    next_key = 0;
    tick_limit = max_ticks;
    // A fresh window system (ticks count from 1 again), with the five
    // sounds loaded so that the game's own sound start keeps them.
    headless_reset();
    install_driver();
    sound_init(nullptr);
    load_tiny_sounds();
    frame_hook = std::move(on_frame);
    ticks.clear();
    const int32_t result = WinMain(nullptr, nullptr, "", 1);
    frame_hook = nullptr;
    return result;
}
