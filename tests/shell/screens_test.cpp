// The intro, winner and help screens.
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/world.h"
#include "matrix_checks.h"
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

// The green of a fading text for the fade product v.
uint32_t rising(int32_t v) { return (static_cast<uint32_t>(v) & 0xFF) << 8; }
uint32_t falling(int32_t v) { return (255 - (static_cast<uint32_t>(v) & 0xFF)) << 8; }

class IntroTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        start_menu(400, 300);
        menu_active = 0;
        intro_active = 1;
        screen_timer = 0;
        ASSERT_TRUE(load_intro_model());
        engine_release();
        engine_init(res_x, res_y);
    }
    // Runs intro frames until screen_timer reaches t (t a multiple of 5).
    void run_to(int32_t t)
    {
        while (screen_timer < t && intro_active == 1) {
            tick();
        }
    }
    uint32_t text_colour() const { return last.at(res_x / 2 - 124, res_y / 2 - 3); }
};

TEST_F(IntroTest, TheFirstTwoFramesShowTheIntroTextureRepeated)
{
    tick();
    EXPECT_EQ(screen_timer, 5);
    // Texel i of the test texture is i with a bit of red. (The renderer
    // clears the three top rows, the two bottom rows and the two left
    // columns after drawing the model.)
    EXPECT_EQ(last.at(2, 3), 0x00010000u | (3 * 400 + 2));
    EXPECT_EQ(last.at(255, 3), 0x00010000u | (3 * 400 + 255));
    EXPECT_EQ(last.at(399, 10), 0x00010000u | ((10 * 400 + 399) % 65536));
    EXPECT_EQ(last.at(100, 297), 0x00010000u | ((297 * 400 + 100) % 65536));
    tick();
    EXPECT_EQ(last.at(17, 200), 0x00010000u | ((200 * 400 + 17) % 65536));
    // From the third frame on the frame keeps what its surface held: the
    // first frame's picture, two frames back.
    tick();
    EXPECT_EQ(last.at(17, 200), 0x00010000u | ((200 * 400 + 17) % 65536));
}

TEST_F(IntroTest, TheFirstLineFadesInAndOut)
{
    tick();
    EXPECT_EQ(text_colour(), 8u << 8);  // t = 5: trunc(5 * 1.7) = 8
    EXPECT_EQ(last.at(res_x / 2 - 125, res_y / 2 - 3), 0x00010000u | ((147 * 400 + 75) % 65536));
    EXPECT_EQ(last.at(res_x / 2 - 124 + 31 * 8 - 1, res_y / 2 + 5), 8u << 8);
    run_to(150);
    EXPECT_EQ(text_colour(), 255u << 8);
    run_to(155);
    EXPECT_EQ(text_colour(), falling(263));  // 248
    run_to(295);
    EXPECT_EQ(text_colour(), falling(static_cast<int32_t>(295 * 1.7f)));
}

TEST_F(IntroTest, TheSecondAndThirdLines)
{
    run_to(305);
    const int32_t y = res_y / 2 - 3;
    EXPECT_EQ(last.at(res_x / 2 - 136, y), rising(8));
    run_to(450);
    EXPECT_EQ(last.at(res_x / 2 - 136, y), rising(static_cast<int32_t>(150 * 1.7f)));
    run_to(455);
    EXPECT_EQ(last.at(res_x / 2 - 136, y), falling(static_cast<int32_t>(155 * 1.7f)));
    run_to(605);
    EXPECT_EQ(last.at(res_x / 2 - 40, y), rising(6));  // trunc(5 * 1.275)
    run_to(800);
    EXPECT_EQ(last.at(res_x / 2 - 40, y), rising(255));
    run_to(805);
    EXPECT_EQ(last.at(res_x / 2 - 40, y), falling(static_cast<int32_t>(205 * 1.275f)));
    EXPECT_EQ(last.at(res_x / 2 - 40 + 10 * 8 - 1, y), falling(261));
}

TEST_F(IntroTest, NoTextIsDrawnAtTheTurningPoints)
{
    // A frame keeps what its surface showed two frames earlier; at t = 300,
    // 600 and 1000 no text is drawn over it.
    const struct {
        int32_t t, x;
        uint32_t two_back;
    } cases[] = {
        {300, 200 - 124, falling(static_cast<int32_t>(290 * 1.7f))},
        {600, 200 - 136, falling(static_cast<int32_t>(290 * 1.7f))},
        {1000, 200 - 40, falling(static_cast<int32_t>(390 * 1.275f))},
    };
    for (const auto& c : cases) {
        run_to(c.t);
        ASSERT_EQ(screen_timer, c.t);
        EXPECT_EQ(last.at(c.x, 147), c.two_back) << c.t;
    }
}

TEST_F(IntroTest, EndsOnItsTwoHundredAndFirstFrame)
{
    for (int i = 1; i <= 200; ++i) {
        tick();
        ASSERT_EQ(intro_active, 1) << i;
    }
    EXPECT_EQ(screen_timer, 1000);
    EXPECT_EQ(frames_shown, 200);
    tick();
    EXPECT_EQ(intro_active, 0);
    EXPECT_EQ(menu_active, 1);
    EXPECT_EQ(frames_shown, 201);
    EXPECT_EQ(plane_scene[0], nullptr);
    EXPECT_EQ(plane_texture[0], nullptr);
    EXPECT_EQ(engine.width, 200);
    EXPECT_EQ(engine.height, 300);
    EXPECT_EQ(engine.focal_x, 160);
    tick();
    EXPECT_EQ(last.at(0, 0), menu_test_pixel(0, 0));  // the menu
}

TEST_F(IntroTest, EscapeEndsItTwoFramesLaterTheFirstWithoutText)
{
    run_to(40);
    key(VK_ESCAPE);
    tick();
    EXPECT_EQ(screen_timer, 1000);
    EXPECT_EQ(intro_active, 1);
    // No text: the first line of t = 35 stays, from two frames back.
    EXPECT_EQ(last.at(res_x / 2 - 124, res_y / 2 - 3), rising(59));
    tick();
    EXPECT_EQ(intro_active, 0);
    EXPECT_EQ(menu_active, 1);
}

TEST_F(IntroTest, TheModelTurnsEveryFrame)
{
    const Matrix4 before = plane_scene[0]->meshes[0].local_matrix;
    tick();
    Matrix4 expected = before;
    matrix_rotate_z(expected, -0.09f);
    EXPECT_TRUE(same_matrix(plane_scene[0]->meshes[0].local_matrix, expected));
}

class WinnerTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        start_menu(400, 300);
        menu_active = 0;
        winner_active = 1;
        screen_timer = 0;
        match_winner = 1;
        std::strcpy(player_name[0], "Alfred");
        std::strcpy(player_name[1], "Zoe");
    }
};

TEST_F(WinnerTest, ThirtySevenDrawnFramesThenTheMenuOnTheThirtyEighth)
{
    int32_t drawn = 0;
    for (int i = 1; i <= 37; ++i) {
        tick();
        ASSERT_EQ(winner_active, 1) << i;
        ASSERT_EQ(screen_timer, 8 * i);
        ++drawn;
    }
    EXPECT_EQ(drawn, 37);
    tick();
    EXPECT_EQ(screen_timer, 304);
    EXPECT_EQ(winner_active, 0);
    EXPECT_EQ(menu_active, 1);
}

TEST_F(WinnerTest, TheExplosionGrowsMagnifiedUnderTheFadingName)
{
    // A transparent texel in picture 1.
    explosion_frames[1 * explosion_pixels + 3 * explosion_width + 5] = key_colour;
    tick();  // t = 8: picture 1
    const int32_t x0 = 200 - 112, y0 = 150 - 102;
    EXPECT_EQ(last.at(x0, y0), explosion_test_pixel(2, 0));
    EXPECT_EQ(last.at(x0 + 1, y0 + 1), explosion_test_pixel(2, 0));
    EXPECT_EQ(last.at(x0 + 2, y0), explosion_test_pixel(2, 1));
    EXPECT_EQ(last.at(x0 + 223, y0 + 203), explosion_test_pixel(2, 101 * 112 + 111));
    EXPECT_EQ(last.at(x0 + 10, y0 + 6), 0u);  // the key colour leaves the cleared frame
    EXPECT_EQ(last.at(x0 - 1, y0), 0u);
    EXPECT_EQ(last.at(x0 + 224, y0 + 204), 0u);
    // "Alfred wins the match": 21 characters from 200 - 84, fade 13.
    EXPECT_EQ(last.at(200 - 84, 147), 13u << 8);
    EXPECT_EQ(last.at(200 - 85, 147), explosion_test_pixel(2, (99 / 2) * 112 + 27 / 2));
    EXPECT_EQ(last.at(200 + 84 - 1, 155), 13u << 8);

    for (int i = 2; i <= 15; ++i) {
        tick();
        EXPECT_EQ(last.at(x0, y0), explosion_test_pixel(i + 1, 0)) << i;  // picture t / 8
    }
    tick();  // t = 128: the name alone
    EXPECT_EQ(last.at(x0, y0), 0u);
    EXPECT_EQ(last.at(200 - 84, 147), rising(static_cast<int32_t>(128 * 1.7f)));
}

TEST_F(WinnerTest, TheWinnerIsNamedByMatchWinnerAlone)
{
    match_winner = 2;
    aircraft[0].frags = 9;
    tick();
    // "Zoe wins the match": 18 characters from 200 - 72.
    EXPECT_EQ(last.at(200 - 72, 147), 13u << 8);
    EXPECT_NE(last.at(200 - 73, 147), 13u << 8);
}

TEST_F(WinnerTest, EscapeEndsItOnTheNextFrame)
{
    tick();
    tick();
    key(VK_ESCAPE);
    EXPECT_EQ(screen_timer, 995);
    const int32_t before = frames_shown;
    tick();
    EXPECT_EQ(winner_active, 0);
    EXPECT_EQ(menu_active, 1);
    EXPECT_EQ(frames_shown, before + 1);
    tick();
    EXPECT_EQ(last.at(0, 0), menu_test_pixel(0, 0));
}

class MatchEndTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        start_menu(400, 300);
    }
};

TEST_F(MatchEndTest, TheLastFragLeadsToTheWinnerScreenAndBackToTheMenu)
{
    frag_limit = 1;
    std::strcpy(player_name[0], "Alfred");
    key(VK_RETURN);  // New game
    ASSERT_EQ(match_active, 1);
    tick();
    aircraft[1].energy = -1;  // player 2 is shot down
    sounds.clear();
    int32_t match_ticks = 0;
    while (match_active == 1 && match_ticks < 100) {
        tick();
        ++match_ticks;
    }
    ASSERT_EQ(winner_active, 1);
    EXPECT_EQ(match_winner, 1);
    EXPECT_EQ(menu_active, 0);
    EXPECT_EQ(screen_timer, 0);
    EXPECT_EQ(plane_scene[0], nullptr);
    EXPECT_EQ(plane_scene[1], nullptr);
    EXPECT_EQ(sounds.front(), 4);  // the death
    EXPECT_EQ(sounds.back(), 4);   // the end of the match
    int32_t winner_frames = 0;
    while (winner_active == 1) {
        tick();
        ++winner_frames;
    }
    EXPECT_EQ(winner_frames, 38);
    EXPECT_EQ(menu_active, 1);
    tick();
    EXPECT_EQ(last.at(0, 0), menu_test_pixel(0, 0));
    // A new game starts with no frags.
    key(VK_RETURN);
    EXPECT_EQ(aircraft[0].frags, 0);
    EXPECT_EQ(match_active, 1);
}

class HelpTest : public ShellTest {
protected:
    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        for (int32_t i = 0; i < help_line_count; ++i) {
            out.push_back(help_lines[i]);
        }
        return out;
    }
};

TEST_F(HelpTest, LinesAreCutIntoPiecesForTheScreenWidth)
{
    const std::string long_line(130, 'x');
    dir.write("data/PAK0.PAK", "short\n" + long_line + "\n\nlast without end");
    res_x = 400;
    read_help_text();
    std::vector<std::string> expected = {"short\n", std::string(46, 'x'), std::string(46, 'x'),
                                         std::string(38, 'x') + "\n", "\n", "last without end"};
    EXPECT_EQ(lines(), expected);
    EXPECT_EQ(help_scroll, 0);
    free_help_text();

    res_x = 1024;
    read_help_text();
    expected = {"short\n", std::string(124, 'x'), std::string(6, 'x') + "\n", "\n", "last without end"};
    EXPECT_EQ(lines(), expected);
    free_help_text();
    EXPECT_EQ(help_line_count, 0);
    EXPECT_EQ(help_lines, nullptr);
}

TEST_F(HelpTest, ALineThatFillsAPieceLeavesItsLineEndAsAPieceOfItsOwn)
{
    dir.write("data/PAK0.PAK", std::string(46, 'y') + "\r\n" + std::string(45, 'z') + "\r\nend\r\n");
    res_x = 400;
    read_help_text();
    const std::vector<std::string> expected = {std::string(46, 'y'), "\n", std::string(45, 'z') + "\n",
                                               "end\n"};
    EXPECT_EQ(lines(), expected);
    free_help_text();
}

TEST_F(HelpTest, AMissingFileOrATinyScreenLeavesTheHelpEmpty)
{
    std::filesystem::remove(dir.file("data/PAK0.PAK"));
    read_help_text();
    EXPECT_EQ(help_line_count, 0);
    free_help_text();

    write_test_game(dir);
    res_x = 35;  // room for one character: w = 1, no piece
    read_help_text();
    EXPECT_EQ(help_line_count, 0);
    res_x = 36;  // w = 2: pieces of one character
    read_help_text();
    EXPECT_GT(help_line_count, 60);
    EXPECT_STREQ(help_lines[0], "H");
    free_help_text();
}

TEST_F(HelpTest, TheHelpShowsFromTheScrollPositionNineRowsApart)
{
    start_menu(400, 300);
    help_active = 1;
    tick();
    EXPECT_EQ(last.at(10, 11), 0x0096FF64u);
    EXPECT_EQ(last.at(10, 10 + 9 * 31 + 1), 0x0096FF64u);  // row 31
    EXPECT_EQ(last.at(10, 299), 0x0096FF64u);  // row 32 at y = 298: its first glyph row
    EXPECT_EQ(last.at(9, 11), [] {
        const uint32_t p = menu_test_pixel(9, 11);
        return (((p >> 18) & 0xFF) << 16) | (((p >> 10) & 0x3F) << 8) | ((p >> 2) & 0x3F);
    }());
    // "Help line 0\n" is 12 characters: the line end draws as a blank glyph
    // of the font, which is solid in the test font.
    EXPECT_EQ(last.at(10 + 12 * 8 - 1, 11), 0x0096FF64u);

    key(VK_UP);
    EXPECT_EQ(help_scroll, 0);
    for (int i = 0; i < 100; ++i) {
        key(VK_DOWN);
    }
    EXPECT_EQ(help_scroll, 60);  // up to the line count: nothing left on screen
    EXPECT_TRUE(sounds.empty());
    EXPECT_EQ(menu_item, 0);
    tick();
    EXPECT_NE(last.at(10, 11), 0x0096FF64u);
    key(VK_UP);
    EXPECT_EQ(help_scroll, 59);
    tick();
    EXPECT_EQ(last.at(10, 11), 0x0096FF64u);  // "Help line 59"
    EXPECT_NE(last.at(10, 20), 0x0096FF64u);

    // The scroll position stays between showings.
    key(VK_ESCAPE);
    EXPECT_EQ(help_active, 0);
    EXPECT_EQ(help_scroll, 59);
}

}  // namespace
