// The game binary in a real window on a private X server, played with real
// key presses: what it shows must be, pixel for pixel, what valkron-sim
// presents for the same keys, the whole frame and nothing else on the
// screen; a match runs for both players; the way out through the menu
// saves the settings and ends the program with exit code 0.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "window_game_support.h"

TEST(RealWindow, MenuMatchHelpAndExitShowWhatValkronSimShows)
{
    SKIP_WITHOUT_X();
    const auto& frames = menu_frames();
    GameCopy copy;
    ScratchDir home;
    GameOnScreen run;
    // A screen exactly the game's size: the full-screen frame covers it 1:1.
    const std::string error =
        run.start(400, 300, VALKRON_GAME_PATH,
                  {copy.game.path(),
                   {"SDL_AUDIODRIVER=dummy", "HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.file("config")},
                   {},
                   ""});
    ASSERT_EQ(error, "");

    // Escape skips the intro (it also ends by itself a few seconds later).
    ASSERT_TRUE(run.press({"Escape"}, frames.at("menu 0"), "menu 0", 15.0));
    ASSERT_TRUE(run.press({"Down"}, frames.at("menu 1"), "menu 1"));
    ASSERT_TRUE(run.press({"Right"}, frames.at("menu 1 limit"), "menu 1 limit"));
    ASSERT_TRUE(run.press({"Up"}, frames.at("menu 0 limit"), "menu 0 limit"));

    // New game: the screen leaves the menu.
    ASSERT_TRUE(run.screen.key({"Return"}));
    Picture shot;
    const double deadline = now_seconds() + 10.0;
    bool in_match = false;
    while (!in_match && now_seconds() < deadline) {
        in_match = run.screen.capture(shot) && nearest_difference(shot, frames.at("menu 0 limit")) > 0;
    }
    ASSERT_TRUE(in_match) << "New game did not leave the menu";

    // Both players accelerate, turn and fire; both halves keep changing.
    ASSERT_TRUE(run.screen.key_down(both_players_fly));
    Picture first, second;
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    ASSERT_TRUE(run.screen.capture(first));
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    ASSERT_TRUE(run.screen.capture(second));
    ASSERT_TRUE(run.screen.key_up(both_players_fly));
    ASSERT_EQ(first.width, 400);
    ASSERT_EQ(first.height, 300);
    EXPECT_GT(nearest_difference(first, frames.at("menu 0 limit")), 1000);
    EXPECT_NE(half(first, 0), half(second, 0)) << run.screen.keep(second, "match");
    EXPECT_NE(half(first, 1), half(second, 1)) << run.screen.keep(second, "match");

    // Escape leaves the match; the help (item 6) and back; Exit (item 9).
    ASSERT_TRUE(run.press({"Escape"}, frames.at("menu 0 limit"), "menu 0 limit"));
    ASSERT_TRUE(run.press({"Down", "Down", "Down", "Down", "Down", "Down"}, frames.at("menu 6 limit"),
                          "menu 6 limit"));
    ASSERT_TRUE(run.press({"Return"}, frames.at("help"), "help"));
    ASSERT_TRUE(run.press({"Escape"}, frames.at("menu 6 limit"), "menu 6 limit"));
    ASSERT_TRUE(run.press({"Down", "Down", "Down"}, frames.at("menu 9 limit"), "menu 9 limit"));
    ASSERT_TRUE(run.screen.key({"Return"}));
    EXPECT_EQ(run.ended(), 0) << run.game_output();

    // Run from a game directory, the game keeps its settings there.
    EXPECT_EQ(copy.game.read_text("Settings.ini"), settings_text(11));
    EXPECT_FALSE(std::filesystem::exists(home.file("config")));
    EXPECT_FALSE(std::filesystem::exists(home.file(".config")));
}

TEST(RealWindow, OnALargerDesktopTheWholeFrameShowsScaledAndCentred)
{
    SKIP_WITHOUT_X();
    const auto& frames = menu_frames();
    // 1000 x 600: the 400 x 300 frame fits twice over in height, with bars
    // of 100 pixels left and right.
    std::vector<Picture> expected;
    for (const Picture& frame : frames.at("menu 0")) {
        expected.push_back(framed(frame, 2, 1000, 600));
    }
    GameCopy copy;
    GameOnScreen run;
    const std::string error =
        run.start(1000, 600, VALKRON_GAME_PATH, {copy.game.path(), {"SDL_AUDIODRIVER=dummy"}, {}, ""});
    ASSERT_EQ(error, "");
    ASSERT_TRUE(run.press({"Escape"}, expected, "menu 0 at twice the size", 15.0));
    ASSERT_TRUE(run.screen.key({"Escape"}));
    EXPECT_EQ(run.ended(), 0) << run.game_output();
    EXPECT_EQ(copy.game.read_text("Settings.ini"), settings_text(10));
}
