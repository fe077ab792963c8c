// The game binary in a real window on a private X server, played with real
// key presses: what it shows is, pixel for pixel, what valkron-sim presents
// for the same keys; a match runs for both players; full screen on a large
// desktop shows every game pixel at the same size; the window is found
// again as it was left; the way out through the menu saves the settings
// and ends the program with exit code 0.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "area_scaling.h"
#include "window_session.h"

namespace {

// Left or right half of a screenshot.
std::vector<uint32_t> half(const Picture& p, int side)
{
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = side * p.width / 2; x < (side + 1) * p.width / 2; ++x) out.push_back(p.at(x, y));
    return out;
}

}  // namespace

TEST(RealWindow, MenuMatchHelpAndExitShowWhatValkronSimShows)
{
    SKIP_WITHOUT_X();
    const auto& frames = menu_frames();
    GameCopy copy;
    ScratchDir home;
    GameOnScreen run;
    // A screen of the game's size: full screen shows the frame 1:1.
    ASSERT_EQ(run.start(400, 300, VALKRON_GAME_PATH,
                        {copy.game.path(), {"SDL_AUDIODRIVER=dummy", "HOME=" + home.path()}, {"XDG_CONFIG_HOME"}, ""}),
              "");
    ASSERT_TRUE(run.press({"Escape"}, frames.at("menu 0"), "menu 0", 15.0));  // the intro ends
    ASSERT_TRUE(run.press({"Down"}, frames.at("menu 1"), "menu 1"));
    ASSERT_TRUE(run.press({"Right"}, frames.at("menu 1 limit"), "menu 1 limit"));
    ASSERT_TRUE(run.press({"Up"}, frames.at("menu 0 limit"), "menu 0 limit"));

    // New game; both players accelerate, turn and fire: both halves change.
    const std::vector<std::string> fly = {"Insert", "Left", "Home", "1", "a", "3"};
    ASSERT_TRUE(run.key({"Return"}));
    ASSERT_TRUE(run.key(fly, "keydown"));
    Picture first, second;
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    ASSERT_TRUE(run.capture(first));
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    ASSERT_TRUE(run.capture(second));
    ASSERT_TRUE(run.key(fly, "keyup"));
    EXPECT_GT(nearest_difference(first, frames.at("menu 0 limit")), 1000) << run.keep(first, "match");
    EXPECT_NE(half(first, 0), half(second, 0)) << run.keep(second, "match");
    EXPECT_NE(half(first, 1), half(second, 1)) << run.keep(second, "match");

    // Escape leaves the match; the help (item 6) and back; Exit (item 9).
    ASSERT_TRUE(run.press({"Escape"}, frames.at("menu 0 limit"), "menu 0 limit"));
    ASSERT_TRUE(run.press({"Down", "Down", "Down", "Down", "Down", "Down"}, frames.at("menu 6 limit"), "menu 6 limit"));
    ASSERT_TRUE(run.press({"Return"}, frames.at("help"), "help"));
    ASSERT_TRUE(run.press({"Escape"}, frames.at("menu 6 limit"), "menu 6 limit"));
    ASSERT_TRUE(run.press({"Down", "Down", "Down"}, frames.at("menu 9 limit"), "menu 9 limit"));
    ASSERT_TRUE(run.key({"Return"}));
    std::string said;
    EXPECT_EQ(run.ended(&said), 0) << said;
    // Run from a game directory, the game keeps its settings there: the
    // seven lines alone while the window was never touched.
    EXPECT_EQ(copy.game.read_text("Settings.ini"), settings_text(11));
    EXPECT_FALSE(std::filesystem::exists(home.file(".config")));
}

TEST(RealWindow, FullScreenOnALargeDesktopShowsEveryGamePixelTheSameSize)
{
    SKIP_WITHOUT_X();
    const auto& frames = menu_frames();
    GameCopy copy;
    GameOnScreen run;
    ASSERT_EQ(run.start(1280, 1024, VALKRON_GAME_PATH, {copy.game.path(), {"SDL_AUDIODRIVER=dummy"}, {}, ""}), "");
    ASSERT_TRUE(run.key({"Escape"}));
    // 400 x 300 on 1280 x 1024: 3.2 screen pixels a game pixel, 1280 x 960
    // with bars of 32 above and below. Nearest-pixel scaling would make
    // columns 3 and 4 pixels wide and miss the area-scaled frame by half
    // the contrast at their edges.
    int32_t best = 256;
    Picture shot;
    for (double deadline = now_seconds() + 10; best > 40 && now_seconds() < deadline;) {
        ASSERT_TRUE(run.capture(shot));
        for (const Picture& frame : frames.at("menu 0"))
            best = std::min(best, area_scaling_error(frame.pixels, 400, 300, shot.pixels.data(), 1280, 1280, 1024));
    }
    EXPECT_LE(best, 40) << run.keep(shot, "full screen");
    run.keep(shot, "full-screen-1280x1024");  // docs/fullscreen-1280x1024.png is one of these
    ASSERT_TRUE(run.key({"Escape"}));
    EXPECT_EQ(run.ended(), 0);
}

TEST(RealWindow, TheWindowIsFoundAgainAsItWasLeft)
{
    SKIP_WITHOUT_X();
    const auto& frames = menu_frames();
    GameCopy copy;
    GameOnScreen run;
    const ChildOptions options = {copy.game.path(), {"SDL_AUDIODRIVER=dummy"}, {}, ""};
    ASSERT_EQ(run.start(1280, 1024, VALKRON_GAME_PATH, options), "");
    auto geometry = [&] {
        return run.x_tool({"xdotool", "search", "--name", "^Valkron Engine 1\\.0$", "getwindowgeometry", "%@"});
    };
    ASSERT_TRUE(run.key({"Escape"}));
    // Alt+Enter: a window at the largest whole-number scale, 3; the player
    // makes it 800 x 600 and leaves through the menu.
    ASSERT_TRUE(run.key({"alt+Return"}));
    for (double deadline = now_seconds() + 10; geometry().find("1200x900") == std::string::npos;)
        ASSERT_LT(now_seconds(), deadline) << geometry();
    run.x_tool({"xdotool", "search", "--name", "^Valkron Engine 1\\.0$", "windowsize", "%@", "800", "600"});
    for (double deadline = now_seconds() + 10; geometry().find("800x600") == std::string::npos;)
        ASSERT_LT(now_seconds(), deadline) << geometry();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a few frames at the new size
    ASSERT_TRUE(run.key({"Escape"}));
    ASSERT_EQ(run.ended(), 0);
    EXPECT_EQ(copy.game.read_text("Settings.ini"), settings_text(10) + "Fullscreen=0\nWindow=800x600\n");

    // Started again: the window as it was, centred, with the menu at twice
    // its size, and the game's 64-pixel icon.
    ASSERT_EQ(run.launch(VALKRON_GAME_PATH, options), "");
    EXPECT_NE(geometry().find("Position: 240,212"), std::string::npos) << geometry();
    EXPECT_NE(geometry().find("Geometry: 800x600"), std::string::npos) << geometry();
    EXPECT_NE(run.x_tool({"xprop", "-name", "Valkron Engine 1.0", "_NET_WM_ICON"}).find("Icon (64 x 64)"), std::string::npos);
    ASSERT_TRUE(run.key({"Escape"}));
    std::vector<Picture> framed;
    for (const Picture& frame : frames.at("menu 0")) {
        Picture big = frame;  // the frame doubled, where the window stands
        big.width = 1280;
        big.height = 1024;
        big.pixels.assign(1280 * 1024, 0);
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x) big.pixels[size_t(212 + y) * 1280 + 240 + x] = frame.at(x / 2, y / 2);
        framed.push_back(big);
    }
    EXPECT_TRUE(run.shows(framed, "menu 0 in the window"));
    ASSERT_TRUE(run.key({"Escape"}));
    EXPECT_EQ(run.ended(), 0);
}
