// One run of the real game on its own X server, for the real-window tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wine_session.h"

// The real-window tests skip, and only then, when the X tools are missing.
#define SKIP_WITHOUT_X()                                                                        \
    if (!have_x_tools()) {                                                                      \
        GTEST_SKIP() << "Xvfb, xdotool or ImageMagick's import is not installed (./valkron.sh " \
                        "test installs them)";                                                  \
    }

struct GameOnScreen {
    XServer x;
    Screen screen;
    Child game;
    ScratchDir scratch;
    std::string log;  // the game's standard output and error

    // Starts an X server of width x height and the program on it (its
    // working directory and variables from options; DISPLAY is added), then
    // waits for its window and its first drawing. Empty when all went well,
    // otherwise what failed.
    std::string start(int32_t width, int32_t height, const std::string& program, ChildOptions options);

    // Waits for the screen to show one of the pictures. On failure: false,
    // with a message naming the state, the fewest differing pixels and where
    // the last screenshot was kept.
    ::testing::AssertionResult shows(const std::vector<Picture>& any_of, const std::string& state,
                                     double timeout = 10.0);
    // Presses the keys (one after the other), then waits for the state.
    ::testing::AssertionResult press(const std::vector<std::string>& keys, const std::vector<Picture>& any_of,
                                     const std::string& state, double timeout = 10.0);
    // Waits for the game to end; its exit code, or -1 when it did not.
    int ended(double timeout = 10.0);
    std::string game_output() const;
};

// The keys both players hold to fly: accelerate, turn and fire.
extern const std::vector<std::string> both_players_fly;
// The left (side 0) or right half of a screenshot.
std::vector<uint32_t> half(const Picture& p, int side);

// The seven lines of a settings file.
std::string settings_text(int32_t limit);
