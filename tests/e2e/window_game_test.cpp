// The game binary in a real window on a private X server, played with real
// key presses: what it shows is, pixel for pixel, what valkron-sim presents
// for the same keys; a match runs for both players; full screen on a large
// desktop shows every game pixel at the same size; a window is found again
// as it was left; the way out through the menu saves the settings
// and ends the program with exit code 0.
#include <filesystem>
#include <thread>

#include "area_scaling.h"
#include "window_session.h"

TEST(RealWindow, MenuMatchHelpAndExitShowWhatValkronSimShows)
{
    SKIP_WITHOUT_X();
    const auto& frames = menu_frames();
    GameCopy copy;
    ScratchDir home;
    GameOnScreen run;  // a screen of the game's size: full screen shows the frame 1:1
    ASSERT_EQ(run.start(400, 300, VALKRON_GAME_PATH, copy.game.path(), "-u XDG_CONFIG_HOME HOME=" + home.path()), "");
    // The intro ends by itself (an Escape meant for it would end the game
    // on a machine slow to start).
    ASSERT_TRUE(run.shows(frames.at("menu 0"), "menu 0", 60));
    ASSERT_TRUE(run.press("Down", frames.at("menu 1"), "menu 1"));
    ASSERT_TRUE(run.press("Right", frames.at("menu 1 limit"), "menu 1 limit"));
    ASSERT_TRUE(run.press("Up", frames.at("menu 0 limit"), "menu 0 limit"));
    // New game; both players accelerate, turn and fire: both halves change.
    ASSERT_TRUE(run.key("Return"));
    Picture first;
    for (double deadline = now_seconds() + 10; nearest_difference(first, frames.at("menu 0 limit")) <= 0;)
        ASSERT_TRUE(now_seconds() < deadline && run.capture(first)) << "New game did not leave the menu";
    ASSERT_TRUE(run.key("Insert Left Home 1 a 3", "keydown"));
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    ASSERT_TRUE(run.capture(first));
    EXPECT_GT(nearest_difference(first, frames.at("menu 0 limit")), 1000) << run.keep(first, "match");
    // The change is waited for (a loaded machine may hold the game back a moment).
    EXPECT_TRUE(run.both_halves_change(first, "match"));
    ASSERT_TRUE(run.key("Insert Left Home 1 a 3", "keyup"));
    // Escape leaves the match; the help (item 6) and back; Exit (item 9).
    ASSERT_TRUE(run.press("Escape", frames.at("menu 0 limit"), "menu 0 limit"));
    ASSERT_TRUE(run.press("Down Down Down Down Down Down", frames.at("menu 6 limit"), "menu 6 limit"));
    ASSERT_TRUE(run.press("Return", frames.at("help"), "help"));
    ASSERT_TRUE(run.press("Escape", frames.at("menu 6 limit"), "menu 6 limit"));
    ASSERT_TRUE(run.press("Down Down Down", frames.at("menu 9 limit"), "menu 9 limit"));
    ASSERT_TRUE(run.key("Return"));
    EXPECT_EQ(run.ended(), 0) << run.said();
    // In a game directory the settings stay there: the seven lines alone
    // while the window was never touched.
    EXPECT_EQ(copy.game.read_text("Settings.ini"), settings_text(11));
    EXPECT_FALSE(std::filesystem::exists(home.file(".config")));
}

TEST(RealWindow, FullScreenWithEvenPixelsThenAWindowFoundAgainAsItWasLeft)
{
    SKIP_WITHOUT_X();
    const auto& frames = menu_frames();
    GameCopy copy;
    GameOnScreen run;
    ASSERT_EQ(run.start(1280, 1024, VALKRON_GAME_PATH, copy.game.path()), "");
    const std::string window = "xdotool search --name \"^Valkron Engine 1.0$\" ";
    auto wait_for_geometry = [&](const std::string& expected) {
        for (double deadline = now_seconds() + 10; now_seconds() < deadline;)
            if (run.x_tool(window + "getwindowgeometry %@").find(expected) != std::string::npos) return true;
        return false;
    };
    // Full screen, the menu after the intro: 3.2 screen pixels a game pixel, 1280 x 960 between bars
    // of 32. Nearest-pixel scaling would make columns 3 and 4 pixels wide
    // and miss the area-scaled frame by half the contrast at their edges.
    int32_t best = 256;
    Picture shot;
    for (double deadline = now_seconds() + 60; best > 40 && now_seconds() < deadline;) {
        ASSERT_TRUE(run.capture(shot));
        for (const Picture& frame : frames.at("menu 0"))
            best = std::min(best, area_scaling_error(frame.pixels, 400, 300, shot.pixels.data(), 1280, 1280, 1024));
    }
    EXPECT_LE(best, 40) << run.keep(shot, "full screen");  // docs/fullscreen-1280x1024.png is one
    // Alt+Enter: a window at the largest whole-number scale, 3; the player
    // makes it 800 x 600 and leaves through the menu.
    ASSERT_TRUE(run.key("alt+Return"));
    ASSERT_TRUE(wait_for_geometry("Geometry: 1200x900"));
    run.x_tool(window + "windowsize %@ 800 600");
    ASSERT_TRUE(wait_for_geometry("Geometry: 800x600"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(run.key("Escape"));
    ASSERT_EQ(run.ended(), 0);
    EXPECT_EQ(copy.game.read_text("Settings.ini"), settings_text(10) + "Fullscreen=0\nWindow=800x600\n");
    // Started again: the window as it was, centred, with its 64-pixel
    // icon, showing the menu at twice its size.
    ASSERT_EQ(run.launch(VALKRON_GAME_PATH, copy.game.path()), "");
    EXPECT_TRUE(wait_for_geometry("Position: 240,212 (screen: 0)\n  Geometry: 800x600"));
    EXPECT_NE(run.x_tool("xprop -name \"Valkron Engine 1.0\" _NET_WM_ICON").find("Icon (64 x 64)"), std::string::npos);
    std::vector<Picture> framed;
    for (const Picture& frame : frames.at("menu 0")) {
        Picture& big = framed.emplace_back(Picture{1280, 1024, std::vector<uint32_t>(1280 * 1024, 0)});
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x) big.pixels[size_t(212 + y) * 1280 + 240 + x] = frame.at(x / 2, y / 2);
    }
    EXPECT_TRUE(run.shows(framed, "menu 0 in the window", 60));
    ASSERT_TRUE(run.key("Escape"));
    EXPECT_EQ(run.ended(), 0);
}

TEST(RealWindow, AMatchPlayedIsSavedAsAReplayWhoseFramesValkronSimDrawsAgain)
{
    SKIP_WITHOUT_X();
    const auto& frames = menu_frames();
    GameCopy copy;
    ScratchDir home;
    GameOnScreen run;
    ASSERT_EQ(run.start(400, 300, VALKRON_GAME_PATH, copy.game.path(), "-u XDG_CONFIG_HOME HOME=" + home.path()), "");
    ASSERT_TRUE(run.shows(frames.at("menu 0"), "menu 0", 60));
    // New game; both players fly, turn and fire; three photographs of the
    // match; Escape back to the menu, Escape out.
    ASSERT_TRUE(run.key("Return"));
    ASSERT_TRUE(run.key("Insert Left 1 a 3", "keydown"));
    std::vector<Picture> shots(3);
    for (Picture& shot : shots) {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        ASSERT_TRUE(run.capture(shot));
    }
    ASSERT_TRUE(run.key("Insert Left 1 a 3", "keyup"));
    ASSERT_TRUE(run.press("Escape", frames.at("menu 0"), "menu 0"));
    ASSERT_TRUE(run.key("Escape"));
    EXPECT_EQ(run.ended(), 0) << run.said();

    // One replay beside the settings; valkron-sim plays it and presents
    // every photographed frame on the way.
    std::vector<std::filesystem::path> replays;
    for (const auto& entry : std::filesystem::directory_iterator(copy.game.file("replays"))) replays.push_back(entry.path());
    ASSERT_EQ(replays.size(), 1u);
    EXPECT_NE(replays[0].filename().string().find("-Player_1-vs-Player_2.keys"), std::string::npos) << replays[0];
    SimResult result;
    const std::string trace = copy.trace({"--replay", replays[0].string()}, &result);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    for (size_t i = 0; i < shots.size(); ++i) {
        EXPECT_GT(nearest_difference(shots[i], frames.at("menu 0")), 1000) << run.keep(shots[i], "replay");
        EXPECT_NE(trace.find("\"frame\":\"" + frame_hash(shots[i].pixels) + "\""), std::string::npos)
            << "photograph " << i << ": " << run.keep(shots[i], "replay-" + std::to_string(i));
    }
    EXPECT_EQ(trace_field(trace.substr(trace.rfind("{\"tick\"")), "mode"), "menu");

    // The game plays it in the window and comes back to the menu; a file
    // that is no replay is refused with one line.
    GameOnScreen replay;
    ASSERT_EQ(replay.start(400, 300, std::string(VALKRON_GAME_PATH) + "' --replay '" + replays[0].string(), copy.game.path(),
                           "-u XDG_CONFIG_HOME HOME=" + home.path()), "");
    ASSERT_TRUE(replay.shows(frames.at("menu 0"), "menu 0 after the replay", 30));
    ASSERT_TRUE(replay.key("Escape"));
    EXPECT_EQ(replay.ended(), 0) << replay.said();
    std::string said;
    EXPECT_EQ(run_shell(std::string(VALKRON_GAME_PATH) + " --replay " + copy.game.file("Fonts.tex"), &said), 2);
    EXPECT_EQ(said, "valkron: " + copy.game.file("Fonts.tex") + ": not a replay (no \"#!valkron-replay\" first line)\n");
}
