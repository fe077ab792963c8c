// Whole runs of WinMain on the test's game directory: start-up with its
// loads and failures, the message loop, the ways out and the clean-up.
#include <filesystem>
#include <string>

#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/weapons.h"
#include "matrix_checks.h"
#include "platform/headless.h"
#include "platform/keys.h"
#include "scene_builders.h"
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
#include "shell_fixture.h"

namespace {

using StartupTest = ShellTest;

TEST_F(StartupTest, WithoutSettingsTheGameStartsInTheIntroAt400x300)
{
    bool checked = false;
    const int32_t result = run_game({}, 5, [&](uint64_t tick, const Frame& f) {
        if (tick != 1) {
            return;
        }
        checked = true;
        EXPECT_EQ(f.width, 400);
        EXPECT_EQ(f.height, 300);
        EXPECT_EQ(f.at(2, 3), 0x00010000u | (3 * 400 + 2));  // the intro texture
        EXPECT_EQ(current_settings(), default_settings);
        EXPECT_EQ(headless_timer_period(), 33u);
        EXPECT_EQ(headless_cursor_shown(), 0);
        EXPECT_EQ(engine.width, 400);
        EXPECT_EQ(help_line_count, 60);
        // Pictures as start-up leaves them.
        EXPECT_EQ(explosion_frames[0], explosion_test_pixel(1, 0));
        EXPECT_EQ(explosion_frames[5 * explosion_pixels + 77], explosion_test_pixel(6, 77));
        EXPECT_EQ(explosion_frames[17 * explosion_pixels - 1], explosion_test_pixel(17, explosion_pixels - 1));
        EXPECT_EQ(menu_background[299 * 400 + 399], menu_test_pixel(399, 299));
        EXPECT_EQ(credits_picture[0], 0xFFFFFFFFu);
        EXPECT_EQ(credits_picture[8], quorba_test_texel(0, 28));
        EXPECT_NE(shot_matrix, nullptr);
        EXPECT_NE(view_buffer, nullptr);
        EXPECT_EQ(warp_sine[64], 4);
        // The intro camera.
        Matrix4 camera;
        matrix_identity(camera);
        matrix_translate(camera, 0.0f, 65.0f, -10.0f);
        matrix_rotate_x(camera, 0.31415927f);
        EXPECT_TRUE(same_matrix(aircraft[0].matrix, camera));
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(checked);
    ASSERT_EQ(ticks.size(), 5u);
    for (const TickRecord& r : ticks) {
        EXPECT_EQ(r.intro, 1);
        EXPECT_EQ(r.menu + r.match + r.winner + r.help + r.credits, 0);
        EXPECT_EQ(r.screen_timer, 5 * static_cast<int32_t>(r.tick));
    }
    // Closed by the window system: nothing written, everything given back.
    EXPECT_FALSE(std::filesystem::exists(dir.file("Settings.ini")));
    EXPECT_EQ(explosion_frames, nullptr);
    EXPECT_EQ(view_buffer, nullptr);
    EXPECT_EQ(menu_background, nullptr);
    EXPECT_EQ(target_picture, nullptr);
    EXPECT_EQ(credits_picture, nullptr);
    EXPECT_EQ(fire_scene, nullptr);
    EXPECT_EQ(plane_scene[0], nullptr);
    EXPECT_EQ(plane_texture[0], nullptr);
    EXPECT_EQ(help_lines, nullptr);
    EXPECT_EQ(shot_matrix, nullptr);
    EXPECT_EQ(engine.depth_buffer, nullptr);
}

TEST_F(StartupTest, TheAimingMarkLosesItsClearlyRedPixels)
{
    run_game({}, 1, [&](uint64_t, const Frame&) {
        EXPECT_EQ(target_picture[0], 0u);  // red 255, green 0, blue 0
        EXPECT_EQ(target_picture[1], 0u);  // red 255, green 128, blue 128
        EXPECT_EQ(target_picture[2], target_grey);
        EXPECT_EQ(target_picture[3], target_green);
        EXPECT_EQ(target_picture[target_width * target_height - 1], target_other);
    });
    // The rule at its edges: red must pass both others by more than 10.
    uint32_t pixels[] = {0x00140A0A, 0x00150A0A, 0x00150B0A, 0x00150A0B, 0x01000000, 0x000000FF};
    clear_red_pixels(pixels, 6);
    EXPECT_EQ(pixels[0], 0x00140A0Au);
    EXPECT_EQ(pixels[1], 0u);
    EXPECT_EQ(pixels[2], 0x00150B0Au);
    EXPECT_EQ(pixels[3], 0x00150A0Bu);
    EXPECT_EQ(pixels[4], 0u);  // a top byte counts as red
    EXPECT_EQ(pixels[5], 0x000000FFu);
}

TEST_F(StartupTest, TheSettingsChooseTheDisplayModeAndIndex)
{
    dir.write("settings.ini", "ResX=512\nResY=480\nLimit=3\n");
    run_game({}, 2, [&](uint64_t, const Frame& f) {
        EXPECT_EQ(f.width, 512);
        EXPECT_EQ(f.height, 480);
        EXPECT_EQ(resolution_index, 3);
        EXPECT_EQ(frag_limit, 3);
        EXPECT_EQ(engine.width, 512);
    });
    ASSERT_EQ(ticks.size(), 2u);

    dir.write("settings.ini", "ResX=800\nResY=1000\n");
    run_game({}, 1, [&](uint64_t, const Frame& f) {
        EXPECT_EQ(f.width, 800);
        EXPECT_EQ(f.height, 1000);
        EXPECT_EQ(resolution_index, 0);
    });
    ASSERT_EQ(ticks.size(), 1u);
}

TEST_F(StartupTest, AMissingFileEndsStartUpSilentlyNamingIt)
{
    const struct {
        const char* path;  // in the test's game directory
        const char* name;  // as the game asks for it
    } files[] = {
        {"data/expl1.TEX", "Data\\Expl1.tex"},   {"data/expl3.TEX", "Data\\Expl3.tex"},
        {"data/expl17.TEX", "Data\\Expl17.tex"}, {"data/quorba.tex", "Data\\Quorba.tex"},
        {"data/MENU.tex", "Data\\Menu.tex"},     {"data/target.tex", "Data\\Target.tex"},
        {"data/fire.3DS", "Data\\Fire.3ds"},     {"data/fire.tex", "Data\\Fire.tex"},
        {"models/Intro.3ds", "models\\intro.3ds"},
    };
    for (const auto& file : files) {
        write_test_game(dir);
        std::filesystem::remove(dir.file(file.path));
        testing::internal::CaptureStderr();
        const int32_t result = run_game({}, 3);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, 0) << file.name;
        EXPECT_EQ(err, std::string("valkron: cannot read ") + file.name + "\n");
        EXPECT_TRUE(ticks.empty()) << file.name;
        EXPECT_EQ(frames_shown, 0) << file.name;
        EXPECT_EQ(explosion_frames, nullptr);
        EXPECT_EQ(help_lines, nullptr);
        EXPECT_EQ(fire_scene, nullptr);
        EXPECT_EQ(engine.depth_buffer, nullptr);
    }
    // The window went with the failed start: the next start works.
    write_test_game(dir);
    run_game({}, 2);
    EXPECT_EQ(ticks.size(), 2u);
}

TEST_F(StartupTest, ModelsWithoutAMeshAreRefused)
{
    dir.write("data/fire.3DS", empty_3ds());
    testing::internal::CaptureStderr();
    run_game({}, 3);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "valkron: cannot read Data\\Fire.3ds\n");
    write_test_game(dir);
    dir.write("models/Intro.3ds", empty_3ds());
    testing::internal::CaptureStderr();
    run_game({}, 3);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "valkron: cannot read models\\intro.3ds\n");
    EXPECT_TRUE(ticks.empty());
}

TEST_F(StartupTest, TheIntroTextureTheHelpAndTheFontMayBeMissing)
{
    std::filesystem::remove(dir.file("models/INTRO.TEX"));
    std::filesystem::remove(dir.file("data/PAK0.PAK"));
    std::filesystem::remove(dir.file("FONTS.TEX"));
    testing::internal::CaptureStderr();
    run_game({{1, 1, VK_ESCAPE}, {4, 1, VK_DOWN}, {4, 1, VK_DOWN}, {4, 1, VK_DOWN}, {4, 1, VK_DOWN},
              {4, 1, VK_DOWN}, {4, 1, VK_DOWN}, {4, 1, VK_RETURN}},
             6);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(ticks.size(), 6u);
    EXPECT_EQ(ticks[2].menu, 1);
    EXPECT_EQ(ticks[4].help, 1);
}

TEST_F(StartupTest, EscapeInTheIntroThenExitSavesTheSettingsAndASecondStartReadsThem)
{
    std::vector<KeyAt> keys = {{1, 1, VK_ESCAPE}, {3, 1, VK_DOWN}, {4, 1, VK_RIGHT}, {4, 1, VK_RIGHT}};
    for (int i = 0; i < 8; ++i) {
        keys.push_back({5, 1, VK_DOWN});
    }
    keys.push_back({7, 1, VK_RETURN});  // Exit
    keys.push_back({20, 1, VK_RETURN});
    const int32_t result = run_game(keys, 30);
    EXPECT_EQ(result, 0);
    ASSERT_GE(ticks.size(), 5u);
    EXPECT_EQ(ticks[0].intro, 1);
    EXPECT_EQ(ticks[0].screen_timer, 1000);
    EXPECT_EQ(ticks[1].menu, 1);
    EXPECT_EQ(ticks[1].intro, 0);
    EXPECT_EQ(ticks.back().tick, 6u);  // the game ended itself at tick 7
    EXPECT_EQ(ticks.back().menu_item, 9);
    EXPECT_EQ(headless_cursor_shown(), 1);
    EXPECT_EQ(dir.read_text("Settings.ini"),
              "ResX=400\nResY=300\nLimit=12\nPlane.0=0\nPlane.1=0\nName.0=Player 1\nName.1=Player 2\n");

    run_game({}, 1, [&](uint64_t, const Frame&) { EXPECT_EQ(frag_limit, 12); });
    EXPECT_EQ(ticks.size(), 1u);
}

TEST_F(StartupTest, ExitFromTheMenuItem)
{
    std::vector<KeyAt> keys = {{1, 1, VK_ESCAPE}};
    for (int i = 0; i < 9; ++i) {
        keys.push_back({3, 1, VK_DOWN});
    }
    keys.push_back({3, 1, 'X'});
    keys.push_back({4, 1, VK_RETURN});
    run_game(keys, 50);
    EXPECT_EQ(ticks.size(), 3u);
    EXPECT_EQ(sounds.back(), 1);
    EXPECT_TRUE(std::filesystem::exists(dir.file("Settings.ini")));
}

TEST_F(StartupTest, ClosingDuringAMatchOrTheIntroLeavesNothingBehind)
{
    // New game on tick 4, then a few match frames with keys held.
    run_game({{1, 1, VK_ESCAPE}, {4, 1, VK_RETURN}, {5, 1, VK_INSERT}, {5, 1, VK_HOME}, {6, 1, '3'}}, 10);
    ASSERT_EQ(ticks.size(), 10u);
    EXPECT_EQ(ticks[3].match, 1);
    EXPECT_EQ(ticks[9].match, 1);
    EXPECT_EQ(plane_scene[0], nullptr);
    EXPECT_EQ(plane_scene[1], nullptr);
    EXPECT_EQ(shot_matrix, nullptr);

    run_game({}, 3);
    EXPECT_EQ(ticks.size(), 3u);
    EXPECT_EQ(plane_scene[0], nullptr);
}

TEST_F(StartupTest, AResolutionChangeReplaysTheIntroAtTheNewSize)
{
    std::vector<KeyAt> keys = {{1, 1, VK_ESCAPE}};
    for (int i = 0; i < 8; ++i) {
        keys.push_back({3, 1, VK_DOWN});
    }
    keys.push_back({4, 1, VK_RIGHT});
    int32_t first_new = 0;
    run_game(keys, 8, [&](uint64_t tick, const Frame& f) {
        if (f.width == 512 && first_new == 0) {
            first_new = static_cast<int32_t>(tick);
            EXPECT_EQ(f.height, 384);
            EXPECT_EQ(f.at(2, 3), 0x00010000u | (3 * 512 + 2));  // the intro texture again
        }
    });
    // Tick 4's timer message was dropped with the stopped timer.
    EXPECT_EQ(first_new, 5);
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(ticks.back().intro, 1);
    EXPECT_EQ(ticks.back().res_x, 512);
    EXPECT_EQ(ticks.back().screen_timer, 5 * (8 - 4));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Settings.ini")));
}

TEST_F(StartupTest, TheGlobalsStartAfreshOnEveryRun)
{
    run_game({{1, 1, VK_ESCAPE}, {3, 1, VK_DOWN}, {4, 1, VK_DOWN}, {5, 1, VK_RETURN}, {6, 1, 'Q'}}, 8);
    ASSERT_EQ(ticks.back().menu_item, 2);
    EXPECT_EQ(name_edit, 1);
    run_game({}, 1);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(menu_item, 0);
    EXPECT_EQ(name_edit, 0);
    EXPECT_STREQ(player_name[0], "Player 1");
    EXPECT_EQ(menu_pulse_step, 0.5f);
    EXPECT_EQ(credits_phase[0], 3.0);
    EXPECT_EQ(warp_speed_y, 5);
}

}  // namespace
