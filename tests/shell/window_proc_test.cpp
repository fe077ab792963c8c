// The window procedure: frame dispatch, the darkening, the escape key and
// the routing of keys; the players' held-key flags.
#include <filesystem>
#include <string>

#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/world.h"
#include "platform/headless.h"
#include "platform/keys.h"
#include "platform/window.h"
#include "shell/keyboard.h"
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

TEST(Darkening, EachChannelIsDividedByFour)
{
    uint32_t pixels[] = {0x00FFFFFF, 0x00804020, 0x00030303, 0x00000000, 0x00FC0804, 0xFF000000,
                         0x12345678};
    darken_frame(pixels, 7);
    EXPECT_EQ(pixels[0], 0x003F3F3Fu);
    EXPECT_EQ(pixels[1], 0x00201008u);
    EXPECT_EQ(pixels[2], 0x00000000u);
    EXPECT_EQ(pixels[3], 0x00000000u);
    EXPECT_EQ(pixels[4], 0x003F0201u);
    // A top byte reaches into red: (p >> 18) & 0xFF.
    EXPECT_EQ(pixels[5], 0x00C00000u);
    EXPECT_EQ(pixels[6], ((0x12345678u >> 18) & 0xFF) << 16 | ((0x12345678u >> 10) & 0x3F) << 8 |
                             ((0x12345678u >> 2) & 0x3F));
}

TEST(Keyboard, EveryKeyDrivesItsOwnFlag)
{
    clear_controls();
    const struct {
        uint32_t key;
        int32_t PlayerControls::*field;
        int player;
    } table[] = {
        {VK_UP, &PlayerControls::pitch_up, 0},      {VK_DOWN, &PlayerControls::pitch_down, 0},
        {VK_LEFT, &PlayerControls::turn_left, 0},   {VK_RIGHT, &PlayerControls::turn_right, 0},
        {VK_INSERT, &PlayerControls::accelerate, 0}, {VK_DELETE, &PlayerControls::brake, 0},
        {VK_HOME, &PlayerControls::fire, 0},        {'W', &PlayerControls::pitch_up, 1},
        {'S', &PlayerControls::pitch_down, 1},      {'A', &PlayerControls::turn_left, 1},
        {'D', &PlayerControls::turn_right, 1},      {'1', &PlayerControls::accelerate, 1},
        {'2', &PlayerControls::brake, 1},           {'3', &PlayerControls::fire, 1},
    };
    for (const auto& row : table) {
        key_down(row.key);
        int32_t set = 0;
        for (const PlayerControls& c : controls) {
            set += c.accelerate + c.brake + c.turn_left + c.turn_right + c.pitch_up + c.pitch_down + c.fire;
        }
        EXPECT_EQ(set, 1) << row.key;
        EXPECT_EQ(controls[row.player].*row.field, 1) << row.key;
        key_down(row.key);  // a repeat changes nothing
        EXPECT_EQ(controls[row.player].*row.field, 1);
        key_up(row.key);
        EXPECT_EQ(controls[row.player].*row.field, 0) << row.key;
    }
}

TEST(Keyboard, OtherKeysDoNothingAndFlagsCombine)
{
    clear_controls();
    for (uint32_t k : {uint32_t(VK_NUMPAD0 + 1), uint32_t(VK_NUMPAD0 + 2), uint32_t(VK_NUMPAD0 + 3), uint32_t('Q'),
                       uint32_t(VK_RETURN), uint32_t(VK_END), uint32_t('4'), uint32_t(0x1FF)}) {
        key_down(k);
    }
    for (const PlayerControls& c : controls) {
        EXPECT_EQ(c.accelerate + c.brake + c.turn_left + c.turn_right + c.pitch_up + c.pitch_down + c.fire, 0);
    }
    key_down(VK_LEFT);
    key_down(VK_RIGHT);
    key_down('W');
    key_down('S');
    EXPECT_EQ(controls[0].turn_left, 1);
    EXPECT_EQ(controls[0].turn_right, 1);
    EXPECT_EQ(controls[1].pitch_up, 1);
    EXPECT_EQ(controls[1].pitch_down, 1);
    clear_controls();
    EXPECT_EQ(controls[0].turn_left + controls[0].turn_right + controls[1].pitch_up + controls[1].pitch_down, 0);
}

class WindowProcTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        start_menu(400, 300);
    }
    bool window_closed() const { return headless_timer_period() == 0; }
};

TEST_F(WindowProcTest, AFailedLockSkipsTheWholeTick)
{
    intro_active = 1;
    menu_active = 0;
    ASSERT_TRUE(load_intro_model());
    engine_release();
    engine_init(res_x, res_y);
    headless_fail_next_locks(2);
    tick();
    tick();
    EXPECT_EQ(screen_timer, 0);
    EXPECT_EQ(frames_shown, 0);
    EXPECT_EQ(headless_draw_to_a(), 0);
    tick();
    EXPECT_EQ(screen_timer, 5);
    EXPECT_EQ(frames_shown, 1);
    EXPECT_EQ(headless_draw_to_a(), 1);
}

TEST_F(WindowProcTest, HelpAndCreditsShowOverTheDarkenedMenu)
{
    help_active = 1;
    tick();
    // Away from the help text the menu picture shows, darkened.
    const uint32_t p = menu_test_pixel(399, 299);
    EXPECT_EQ(last.at(399, 299), (((p >> 18) & 0xFF) << 16) | (((p >> 10) & 0x3F) << 8) | ((p >> 2) & 0x3F));
    EXPECT_EQ(last.at(10, 11), 0x0096FF64u);  // "Help line 0"
    EXPECT_EQ(menu_pulse, 0.0f);              // no menu frame ran

    help_active = 0;
    credits_active = 1;
    tick();
    const uint32_t q = menu_test_pixel(5, 5);
    EXPECT_EQ(last.at(5, 5), (((q >> 18) & 0xFF) << 16) | (((q >> 10) & 0x3F) << 8) | ((q >> 2) & 0x3F));
    EXPECT_EQ(menu_pulse, 0.0f);
}

TEST_F(WindowProcTest, WithNoScreenTheFrameIsShownUnchanged)
{
    menu_active = 0;
    tick();
    EXPECT_EQ(frames_shown, 1);
    EXPECT_EQ(last.at(100, 100), 0u);
}

TEST_F(WindowProcTest, EscapeEndsTheIntroTwoFramesLaterAndTheWinnerScreenOnTheNext)
{
    menu_active = 0;
    intro_active = 1;
    screen_timer = 100;
    key(VK_ESCAPE);
    EXPECT_EQ(screen_timer, 995);
    EXPECT_EQ(intro_active, 1);

    intro_active = 0;
    winner_active = 1;
    screen_timer = 16;
    key(VK_ESCAPE);
    EXPECT_EQ(screen_timer, 995);
    tick();
    EXPECT_EQ(winner_active, 0);
    EXPECT_EQ(menu_active, 1);
}

TEST_F(WindowProcTest, EscapeLeavesHelpCreditsAndMatchForTheMenu)
{
    help_active = 1;
    credits_active = 1;
    key(VK_ESCAPE);
    EXPECT_EQ(help_active, 0);
    EXPECT_EQ(credits_active, 1);
    key(VK_ESCAPE);
    EXPECT_EQ(credits_active, 0);
    EXPECT_EQ(menu_active, 1);
    EXPECT_FALSE(window_closed());

    menu_item = 0;
    key(VK_RETURN);  // New game
    ASSERT_EQ(match_active, 1);
    key(VK_ESCAPE);
    EXPECT_EQ(match_active, 0);
    EXPECT_EQ(menu_active, 1);
    EXPECT_EQ(plane_scene[0], nullptr);
    EXPECT_EQ(plane_texture[1], nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Settings.ini")));
    EXPECT_FALSE(window_closed());
}

TEST_F(WindowProcTest, EscapeInThePlainMenuSavesShowsTheCursorAndCloses)
{
    window_show_cursor(0);
    name_edit = 1;
    key('Z');
    key(VK_ESCAPE);
    EXPECT_TRUE(window_closed());
    EXPECT_EQ(headless_cursor_shown(), 1);
    EXPECT_NE(dir.read_text("Settings.ini").find("Name.0=Player 1Z\n"), std::string::npos);
    WindowMessage m;
    EXPECT_EQ(window_get_message(&m), 0);  // the quit message
    EXPECT_EQ(m.wparam, 0u);
    EXPECT_EQ(engine.depth_buffer, nullptr);  // the engine went with the window
}

TEST_F(WindowProcTest, ExitWritesTheSettingsAndCloses)
{
    menu_item = 9;
    frag_limit = 4;
    key(VK_RETURN);
    EXPECT_EQ(sounds, std::vector<int32_t>{1});
    EXPECT_TRUE(window_closed());
    EXPECT_EQ(headless_cursor_shown(), 1);
    EXPECT_EQ(dir.read_text("Settings.ini"),
              "ResX=400\nResY=300\nLimit=4\nPlane.0=0\nPlane.1=0\nName.0=Player 1\nName.1=Player 2\n");
}

TEST_F(WindowProcTest, KeysGoToTheMatchOrTheMenuAndOnlyEscapeActsElsewhere)
{
    key(VK_DOWN);
    EXPECT_EQ(menu_item, 1);
    EXPECT_EQ(controls[0].pitch_down, 0);  // a key in the menu sets nothing
    key(VK_HOME);
    EXPECT_EQ(controls[0].fire, 0);
    controls[0].fire = 1;
    key(VK_HOME, false);  // but its release clears the flag
    EXPECT_EQ(controls[0].fire, 0);

    menu_active = 0;
    intro_active = 1;
    key(VK_DOWN);
    key(VK_RETURN);
    EXPECT_EQ(menu_item, 1);
    EXPECT_EQ(controls[0].pitch_down, 0);
    intro_active = 0;
    winner_active = 1;
    key(VK_DOWN);
    EXPECT_EQ(menu_item, 1);
    winner_active = 0;

    match_active = 1;
    key(VK_DOWN);
    key('3');
    EXPECT_EQ(controls[0].pitch_down, 1);
    EXPECT_EQ(controls[1].fire, 1);
    EXPECT_EQ(menu_item, 1);
    key(VK_DOWN, false);
    EXPECT_EQ(controls[0].pitch_down, 0);
    match_active = 0;
    menu_active = 1;
}

TEST_F(WindowProcTest, OtherMessagesGoToTheDefaultProcedure)
{
    EXPECT_EQ(window_proc(main_window, 0x0005, 0, 0), 0);
    EXPECT_FALSE(window_closed());
    EXPECT_EQ(window_proc(main_window, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(window_closed());
    EXPECT_FALSE(std::filesystem::exists(dir.file("Settings.ini")));
}

}  // namespace
