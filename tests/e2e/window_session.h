// The real game on a private X server (Xvfb) for the real-window tests:
// keys through xdotool (XTEST, as from a keyboard), screenshots through
// ImageMagick's import, and the frames valkron-sim presents for the same
// keys to compare them with. Every wait polls until a deadline.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "sim_support.h"

#define SKIP_WITHOUT_X() \
    if (std::system("command -v Xvfb xdotool xprop import >/dev/null") != 0) GTEST_SKIP() << "X tools missing"

double now_seconds();

// Runs a shell command; its exit code and its output.
int run_shell(const std::string& command, std::string* output = nullptr);

// A program in the background, ended by its process id when it goes.
struct Background {
    pid_t pid = -1;
    int exit_code = -1;
    ~Background();
    // Runs the shell command; its output to the file log.
    bool start(const std::string& command, const std::string& log);
    // True when it ended within the time (exit_code then set).
    bool wait(double timeout);
};

// The game on its own X server of width x height.
struct GameOnScreen {
    ScratchDir scratch;
    Background x, game;
    std::string display;          // ":N"
    std::string window = "root";  // what capture photographs: an X window id, or the screen
    int32_t shots = 0;

    // Starts the X server; then launch(). Empty when all went well, else
    // what failed.
    std::string start_x(int32_t width, int32_t height);
    std::string start(int32_t width, int32_t height, const std::string& program, const std::string& dir,
                      const std::string& env = "");
    // Starts the program in dir on the X server, sound on the dummy driver,
    // and waits for its first drawing. env: "-u NAME ... NAME=value ...".
    std::string launch(const std::string& program, const std::string& dir, const std::string& env = "");
    // Runs an X tool on this server; its output.
    std::string x_tool(const std::string& command, int* code = nullptr);
    bool capture(Picture& out);
    bool key(const std::string& keys, const char* command = "key");
    // Waits for the screen to show one of the pictures exactly; on failure
    // says how near it came and keeps the last screenshot.
    ::testing::AssertionResult shows(const std::vector<Picture>& any_of, const std::string& state, double timeout = 10);
    ::testing::AssertionResult press(const std::string& keys, const std::vector<Picture>& any_of,
                                     const std::string& state, double timeout = 10);
    // Waits for a screenshot whose left and right halves both differ from
    // `from`'s (both views turned); on failure keeps the last one.
    ::testing::AssertionResult both_halves_change(const Picture& from, const std::string& state, double timeout = 15);
    // Waits for the game to end: its exit code, or -1. What it said.
    int ended(double timeout = 10);
    std::string said() const;
    // Saves the picture as window-test-screens/TEST-NAME.png; its path.
    std::string keep(const Picture& picture, const std::string& name) const;
};

// The fewest differing pixels to any of the pictures (-1: no size matches).
int64_t nearest_difference(const Picture& picture, const std::vector<Picture>& pictures);

// What valkron-sim presents for the tests' menu walk, by state, each over
// eight ticks in a row (the menu's green text pulses in eight frames):
// "menu 0" New game, frag limit 10 (after the intro); "menu 1" (Down);
// "menu 1 limit" limit 11 (Right); "menu 0 limit" (Up); "menu 6 limit"
// Help (Down x 6); "help" (Enter); "menu 9 limit" Exit (Escape, Down x 3).
const std::map<std::string, std::vector<Picture>>& menu_frames();

// The seven lines of a settings file with the default names, 400 x 300.
std::string settings_text(int32_t limit);
