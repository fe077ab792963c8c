// The main menu: selection, values, names, New game and the menu frame.
#include <cmath>
#include <cstring>
#include <string>

#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/random.h"
#include "game/weapons.h"
#include "game/world.h"
#include "matrix_checks.h"
#include "platform/headless.h"
#include "platform/keys.h"
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

class MenuTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        start_menu(400, 300);
    }
    void select(int32_t item)
    {
        menu_item = item;
        sounds.clear();
    }
    // A menu frame: the menu background, then menu_frame, shown.
    void frame()
    {
        tick();
        ASSERT_EQ(last.width, res_x);
    }
    uint32_t background(int32_t x, int32_t y) const
    {
        return menu_test_pixel(static_cast<int32_t>(x * (400.0f / res_x)),
                               static_cast<int32_t>(y * (300.0f / res_y)));
    }
};

TEST_F(MenuTest, UpAndDownMoveTheSelectionWithASoundEvenAtTheEnds)
{
    key(VK_UP);
    EXPECT_EQ(menu_item, 0);
    EXPECT_EQ(sounds, std::vector<int32_t>{0});
    for (int32_t i = 1; i <= 12; ++i) {
        key(VK_DOWN);
        EXPECT_EQ(menu_item, std::min(i, 9));
    }
    EXPECT_EQ(sounds.size(), 13u);
    for (int32_t s : sounds) {
        EXPECT_EQ(s, 0);
    }
    key(VK_UP);
    EXPECT_EQ(menu_item, 8);
}

TEST_F(MenuTest, TheFragLimitHasNoUpperBoundAndStopsAtOne)
{
    select(1);
    key(VK_RIGHT);
    key(VK_RIGHT);
    EXPECT_EQ(frag_limit, 12);
    for (int i = 0; i < 20; ++i) {
        key(VK_LEFT);
    }
    EXPECT_EQ(frag_limit, 1);
    EXPECT_TRUE(sounds.empty());  // Left and Right are silent

    frag_limit = 1000000;
    key(VK_RIGHT);
    EXPECT_EQ(frag_limit, 1000001);
}

TEST_F(MenuTest, LeftOnAnyItemRepairsALimitBelowOne)
{
    for (int32_t item : {0, 4, 6, 9}) {
        select(item);
        frag_limit = -5;
        key(VK_RIGHT);
        EXPECT_EQ(frag_limit, -5);
        key(VK_LEFT);
        EXPECT_EQ(frag_limit, 1) << item;
        frag_limit = 7;
        key(VK_LEFT);
        EXPECT_EQ(frag_limit, 7) << item;
    }
}

TEST_F(MenuTest, PlanesStopAtBothEndsOfTheTable)
{
    select(4);
    key(VK_LEFT);
    EXPECT_EQ(plane_index[0], 0);
    EXPECT_STREQ(plane_name[0], "Happy");
    const char* names[] = {"Goliash 215", "Titan Hs", "Lizard 372", "Lizard 486", "Needle", "Needle"};
    for (const char* name : names) {
        key(VK_RIGHT);
        EXPECT_STREQ(plane_name[0], name);
    }
    EXPECT_EQ(plane_index[0], 5);
    EXPECT_EQ(plane_index[1], 0);
    EXPECT_STREQ(plane_name[1], "Happy");

    select(5);
    key(VK_RIGHT);
    key(VK_RIGHT);
    key(VK_LEFT);
    EXPECT_EQ(plane_index[1], 1);
    EXPECT_STREQ(plane_name[1], "Goliash 215");
    EXPECT_EQ(plane_index[0], 5);
}

TEST_F(MenuTest, TheResolutionDoesNotPassTheEndsOfTheTable)
{
    select(8);
    key(VK_LEFT);
    EXPECT_EQ(resolution_index, 0);
    EXPECT_EQ(res_x, 400);
    EXPECT_EQ(menu_active, 1);
    EXPECT_EQ(intro_active, 0);
    EXPECT_EQ(headless_timer_period(), 33u);
}

TEST_F(MenuTest, EnterActsByItem)
{
    select(6);
    key(VK_RETURN);
    EXPECT_EQ(help_active, 1);
    EXPECT_EQ(sounds, std::vector<int32_t>{1});
    help_active = 0;

    select(7);
    key(VK_RETURN);
    EXPECT_EQ(credits_active, 1);
    EXPECT_EQ(sounds, std::vector<int32_t>{1});
    credits_active = 0;

    for (int32_t item : {1, 4, 5, 8}) {
        select(item);
        key(VK_RETURN);
        EXPECT_TRUE(sounds.empty()) << item;
        EXPECT_EQ(menu_active, 1);
        EXPECT_EQ(name_edit, 0);
        EXPECT_EQ(res_x, 400);
    }
}

TEST_F(MenuTest, TypedNamesKeepTheirFirstCapitalOnly)
{
    select(2);
    key(VK_RETURN);
    EXPECT_EQ(name_edit, 1);
    EXPECT_EQ(sounds, std::vector<int32_t>{1});
    while (player_name[0][0] != '\0') {
        key(VK_BACK);
    }
    key(VK_BACK);  // nothing left to remove
    EXPECT_STREQ(player_name[0], "");
    key('B');
    key('O');
    key('B');
    EXPECT_STREQ(player_name[0], "BOB");
    frame();
    EXPECT_STREQ(player_name[0], "Bob");
    EXPECT_STREQ(player_name[1], "Player 2");

    // Keypad keys give small letters, function keys the rest of them.
    key(VK_SPACE);
    key(VK_NUMPAD0 + 1);
    key(VK_ADD);
    key(VK_F1);
    key(VK_F1 + 10);
    key('7');
    EXPECT_STREQ(player_name[0], "Bob akpz7");
    key(VK_BACK);
    EXPECT_STREQ(player_name[0], "Bob akpz");

    sounds.clear();
    menu_item = 5;
    key(VK_RETURN);
    EXPECT_EQ(name_edit, 0);
    EXPECT_EQ(sounds, std::vector<int32_t>{1});
    key('X');
    EXPECT_STREQ(player_name[0], "Bob akpz");
}

TEST_F(MenuTest, AFullNameTakesNoMoreCharacters)
{
    select(3);
    key(VK_RETURN);
    EXPECT_EQ(name_edit, 2);
    for (int i = 0; i < 40; ++i) {
        key('Q');
    }
    EXPECT_EQ(std::string(player_name[1]), "Player 2" + std::string(23, 'Q'));
    key(VK_BACK);
    key('Z');
    EXPECT_EQ(std::string(player_name[1]), "Player 2" + std::string(22, 'Q') + "Z");
}

TEST_F(MenuTest, ArrowsStillWorkWhileANameIsTyped)
{
    select(2);
    key(VK_RETURN);
    key(VK_DOWN);
    key(VK_DOWN);
    EXPECT_EQ(menu_item, 4);
    key(VK_RIGHT);
    EXPECT_STREQ(plane_name[0], "Goliash 215");
    EXPECT_EQ(name_edit, 1);
}

TEST_F(MenuTest, ThePulseRunsThroughEightFrames)
{
    const float expected[] = {0.5f, 1.0f, 1.5f, 1.5707963f, 1.0707963f, 0.5707963f, 0.0707963f, 0.0f,
                              0.5f, 1.0f};
    for (float e : expected) {
        frame();
        EXPECT_NEAR(menu_pulse, e, 1e-6f);
    }
}

TEST_F(MenuTest, TheFrameDrawsTheSelectedItemValuesAndNames)
{
    frag_limit = 10;
    std::strcpy(player_name[0], "Bob");
    select(0);
    frame();
    // Sine green at 0.5: trunc(sin(0.5) * 255) = 122; the font's glyphs are
    // solid blocks starting one row below the text's y.
    const uint32_t sine = 122u << 8;
    EXPECT_EQ(last.at(50, 151), sine);
    EXPECT_EQ(last.at(50 + 8 * 8 - 1, 159), sine);
    EXPECT_EQ(last.at(50 + 8 * 8, 151), background(50 + 64, 151));
    EXPECT_EQ(last.at(50, 150), background(50, 150));
    EXPECT_EQ(last.at(200, 51), 0x0000FF00u);                          // "Frag limit : 10"
    EXPECT_EQ(last.at(200 + 15 * 8 - 1, 51), 0x0000FF00u);
    EXPECT_EQ(last.at(200 + 15 * 8, 51), background(200 + 120, 51));
    EXPECT_EQ(last.at(220, 241), 0x0000FF00u);                         // "Bob"
    EXPECT_EQ(last.at(244, 241), background(244, 241));
    EXPECT_EQ(last.at(220, 261), 0x0000FF00u);                         // "Player 2"
    EXPECT_EQ(last.at(250, 251), 0x0000FF00u);                         // "Happy"
    EXPECT_EQ(last.at(250 + 5 * 8, 251), background(290, 251));
    EXPECT_EQ(last.at(250, 271), 0x0000FF00u);
    EXPECT_EQ(last.at(60, 256), background(60, 256));                  // no "Use arrows ..."
    EXPECT_EQ(last.at(10, 10), background(10, 10));
}

TEST_F(MenuTest, TheCursorAndTheArrowsHintUseCosineGreen)
{
    std::strcpy(player_name[1], "Bob");
    name_edit = 2;
    select(1);
    frame();
    const uint32_t cosine = static_cast<uint32_t>(static_cast<int32_t>(std::cos(0.5) * 255.0)) << 8;
    EXPECT_EQ(cosine, 223u << 8);
    EXPECT_EQ(last.at(220 + 3 * 8, 261), cosine);  // "." right after "Bob"
    EXPECT_EQ(last.at(220 + 4 * 8, 261), background(252, 261));
    EXPECT_EQ(last.at(60, 256), cosine);           // "Use arrows ..."
    EXPECT_EQ(last.at(60 + 14 * 8 - 1, 264), cosine);
    for (int32_t item : {4, 5}) {
        select(item);
        frame();
        EXPECT_NE(last.at(60, 256), background(60, 256));
    }
}

TEST_F(MenuTest, NewGameResetsTheMatchAndStartsIt)
{
    aircraft[0].energy = -1;
    aircraft[1].frags = 4;
    aircraft[0].explosion_frame = 9;
    aircraft[1].speed = 12.0f;
    aircraft[0].yaw_rate = 0.1f;  // left over: not reset
    match_winner = 2;
    shot_count = 7;
    frag_timer = 30;
    controls[0].fire = 1;
    controls[1].brake = 1;
    select(4);
    key(VK_RIGHT);
    key(VK_RIGHT);
    key(VK_RIGHT);
    key(VK_RIGHT);
    key(VK_RIGHT);  // Needle
    select(0);

    crt_srand(1234);
    key(VK_RETURN);
    EXPECT_EQ(sounds, std::vector<int32_t>{1});
    EXPECT_EQ(match_active, 1);
    EXPECT_EQ(menu_active, 0);
    for (const Aircraft& a : aircraft) {
        EXPECT_EQ(a.energy, 100);
        EXPECT_EQ(a.frags, 0);
        EXPECT_EQ(a.explosion_frame, 0);
        EXPECT_EQ(a.speed, 0.0f);
    }
    EXPECT_FLOAT_EQ(aircraft[0].yaw_rate, 0.1f);
    EXPECT_EQ(match_winner, 0);
    EXPECT_EQ(shot_count, 0);
    EXPECT_EQ(frag_timer, 0);
    EXPECT_EQ(controls[0].fire, 0);
    EXPECT_EQ(controls[1].brake, 0);
    ASSERT_NE(plane_scene[0], nullptr);
    ASSERT_NE(plane_scene[1], nullptr);
    ASSERT_NE(plane_texture[0], nullptr);
    ASSERT_NE(plane_texture[1], nullptr);
    EXPECT_STREQ(plane_scene[0]->meshes[0].name, "Tail");

    // Both aeroplanes placed for a new game (the match's tests check how)
    // with the generator's first numbers after the seed.
    const Matrix4 placed[2] = {aircraft[0].matrix, aircraft[1].matrix};
    crt_srand(1234);
    place_aircraft_for_new_game();
    EXPECT_TRUE(same_matrix(placed[0], aircraft[0].matrix));
    EXPECT_TRUE(same_matrix(placed[1], aircraft[1].matrix));
}

TEST_F(MenuTest, NewGameWithAMissingAeroplaneStaysInTheMenu)
{
    plane_index[1] = 2;
    std::strcpy(plane_name[1], "Titan Hs");  // not in the test's models
    aircraft[0].energy = 3;
    select(0);
    key(VK_RETURN);
    EXPECT_EQ(sounds, std::vector<int32_t>{1});
    EXPECT_EQ(menu_active, 1);
    EXPECT_EQ(match_active, 0);
    EXPECT_EQ(aircraft[0].energy, 100);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(plane_scene[i], nullptr);
        EXPECT_EQ(plane_texture[i], nullptr);
    }
    frame();  // the menu goes on
    EXPECT_EQ(menu_active, 1);
}

}  // namespace
