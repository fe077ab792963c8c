// Changing the screen resolution from the menu.
#include <filesystem>

#include "engine/engine.h"
#include "platform/headless.h"
#include "platform/keys.h"
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

class ResolutionTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        start_menu(640, 480);
        menu_item = 8;
    }
    // Intro frames until the menu shows again.
    void finish_intro()
    {
        for (int i = 0; i < 300 && intro_active == 1; ++i) {
            tick();
        }
        ASSERT_EQ(menu_active, 1);
    }
    void expect_menu_background(int32_t width, int32_t height)
    {
        const float sx = 400.0f / width, sy = 300.0f / height;
        for (int32_t y = 0; y < height; y += 37) {
            for (int32_t x = 0; x < width; x += 29) {
                ASSERT_EQ(menu_background[y * width + x],
                          menu_test_pixel(static_cast<int32_t>(x * sx), static_cast<int32_t>(y * sy)))
                    << x << "," << y;
            }
        }
        ASSERT_EQ(menu_background[width * height - 1], menu_test_pixel(399, 299));
    }
};

TEST_F(ResolutionTest, LeftFrom640x480Gives640x400AndTheIntroAgain)
{
    name_edit = 1;
    credits_active = 1;
    key(VK_LEFT);
    EXPECT_EQ(res_x, 640);
    EXPECT_EQ(res_y, 400);
    EXPECT_EQ(resolution_index, 2);
    EXPECT_EQ(intro_active, 1);
    EXPECT_EQ(menu_active, 0);
    EXPECT_EQ(match_active, 0);
    EXPECT_EQ(screen_timer, 0);
    EXPECT_EQ(name_edit, 0);
    EXPECT_EQ(credits_active, 1);  // shows again after the intro
    EXPECT_EQ(engine.width, 640);
    EXPECT_EQ(engine.height, 400);
    EXPECT_NE(plane_scene[0], nullptr);
    EXPECT_NE(plane_texture[0], nullptr);
    EXPECT_EQ(headless_timer_period(), 10u);  // 1 ms, as fast as timer messages come
    expect_menu_background(640, 400);
    EXPECT_EQ(target_picture[0], 0u);
    EXPECT_EQ(target_picture[3], target_green);
    EXPECT_TRUE(sounds.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("Settings.ini")));

    tick();
    EXPECT_EQ(last.width, 640);
    EXPECT_EQ(last.height, 400);
    EXPECT_EQ(last.at(639, 397), 0x00010000u | ((397 * 640 + 639) % 65536));
    finish_intro();
    EXPECT_EQ(engine.width, 320);
    EXPECT_EQ(menu_item, 8);
    EXPECT_EQ(credits_active, 1);
    tick();
    EXPECT_EQ(last.width, 640);
}

TEST_F(ResolutionTest, EveryModeOfTheTableTurnsUp)
{
    resolution_index = 0;
    res_x = 400;
    res_y = 300;
    for (int32_t i = 1; i < resolution_count; ++i) {
        key(VK_RIGHT);
        EXPECT_EQ(resolution_index, i);
        EXPECT_EQ(res_x, resolution_widths[i]);
        EXPECT_EQ(res_y, resolution_heights[i]);
        finish_intro();
    }
    expect_menu_background(1024, 768);
    key(VK_RIGHT);  // the last mode: nothing happens
    EXPECT_EQ(resolution_index, 5);
    EXPECT_EQ(menu_active, 1);
    tick();
    EXPECT_EQ(last.width, 1024);
    EXPECT_EQ(last.height, 768);

    headless_set_display_limit(0, 0);
    key(VK_LEFT);
    EXPECT_EQ(res_x, 800);
    EXPECT_EQ(intro_active, 1);
}

TEST_F(ResolutionTest, TheMenuPictureScalesTo512x384)
{
    resolution_index = 2;
    key(VK_LEFT);
    key(VK_LEFT);
    ASSERT_EQ(res_x, 512);
    ASSERT_EQ(res_y, 384);
    EXPECT_EQ(menu_background[0], menu_test_pixel(0, 0));
    EXPECT_EQ(menu_background[100 * 512 + 100], menu_test_pixel(78, 78));  // 100 x 0.78125
    EXPECT_EQ(menu_background[383 * 512 + 511], menu_test_pixel(399, 299));
    EXPECT_EQ(menu_background[5 * 512 + 1], menu_test_pixel(0, 3));
    expect_menu_background(512, 384);
}

TEST_F(ResolutionTest, ARefusedModeKeepsTheSizeInForceAndStillReplaysTheIntro)
{
    headless_set_display_limit(640, 480);
    key(VK_RIGHT);
    EXPECT_EQ(resolution_index, 3);
    EXPECT_EQ(res_x, 640);
    EXPECT_EQ(res_y, 480);
    EXPECT_EQ(intro_active, 1);
    EXPECT_EQ(engine.width, 640);
    EXPECT_EQ(headless_timer_period(), 10u);
    tick();
    EXPECT_EQ(last.width, 640);
    EXPECT_EQ(last.height, 480);
    finish_intro();
    // The next key starts from the index in force.
    key(VK_LEFT);
    EXPECT_EQ(resolution_index, 2);
    EXPECT_EQ(res_y, 400);
}

TEST_F(ResolutionTest, WithoutTheIntroModelTheMenuFollowsAtOnce)
{
    std::filesystem::remove(dir.file("models/Intro.3ds"));
    key(VK_LEFT);
    EXPECT_EQ(res_y, 400);
    EXPECT_EQ(resolution_index, 2);
    EXPECT_EQ(intro_active, 0);
    EXPECT_EQ(menu_active, 1);
    EXPECT_EQ(engine.width, 320);
    EXPECT_EQ(engine.height, 400);
    EXPECT_EQ(plane_scene[0], nullptr);
    EXPECT_EQ(plane_texture[0], nullptr);
    EXPECT_EQ(headless_timer_period(), 10u);
    tick();
    EXPECT_EQ(last.width, 640);
    EXPECT_EQ(last.height, 400);
    EXPECT_EQ(last.at(0, 0), menu_test_pixel(0, 0));
}

TEST_F(ResolutionTest, PicturesThatVanishedKeepTheirLastContents)
{
    std::filesystem::remove(dir.file("data/MENU.tex"));
    std::filesystem::remove(dir.file("data/target.tex"));
    key(VK_LEFT);
    EXPECT_EQ(res_y, 400);
    expect_menu_background(640, 400);
    EXPECT_EQ(target_picture[0], 0u);
    EXPECT_EQ(target_picture[2], target_grey);
    EXPECT_EQ(target_picture[100], target_other);
}

TEST_F(ResolutionTest, TheHelpKeepsItsStartUpWidth)
{
    const int32_t lines = help_line_count;
    key(VK_LEFT);
    EXPECT_EQ(help_line_count, lines);
}

}  // namespace
