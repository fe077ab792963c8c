// The real game on a real X server, for the real-window tests: a private
// Xvfb, programs started and stopped by process id, key presses through
// xdotool (XTEST, as from a keyboard), screenshots through ImageMagick's
// import, and the frames valkron-sim presents for the same keys to compare
// them with. Every wait polls for what it waits for until a deadline.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "sim_support.h"

// The real-window tests skip, and only then, when the X tools are missing.
#define SKIP_WITHOUT_X()                                                                                   \
    if (!have_x_tools()) {                                                                                 \
        GTEST_SKIP() << "Xvfb, xdotool, xprop or ImageMagick's import is missing (./valkron.sh test installs them)"; \
    }
bool have_x_tools();
double now_seconds();

// How a program is started: its working directory, variables to set
// ("NAME=value") and to remove, and a file for its output (none: dropped).
struct ChildOptions {
    std::string dir;
    std::vector<std::string> set_env;
    std::vector<std::string> unset_env;
    std::string log;
};

// A program started by a test; ended by its process id when it goes.
struct Child {
    pid_t pid = -1;
    int exit_code = -1;  // once ended: its exit code, or 128 + the signal
    Child() = default;
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
};
bool start_child(Child& child, const std::vector<std::string>& argv, const ChildOptions& options, int output_fd = -1,
                 int keep_fd = -1);
// True when the program ended within the time (exit_code then set).
bool wait_child(Child& child, double timeout);
// Runs a program to its end: its exit code (-1 when stopped at the
// timeout), and its output when asked for.
int run_program(const std::vector<std::string>& argv, const ChildOptions& options, double timeout,
                std::string* output = nullptr);

// The game on its own X server of width x height.
struct GameOnScreen {
    Child x;
    std::string display;  // ":N"
    Child game;
    ScratchDir scratch;
    int32_t shots = 0;

    // Starts the X server, then launch(). Empty when all went well,
    // otherwise what failed.
    std::string start(int32_t width, int32_t height, const std::string& program, const ChildOptions& options);
    // Starts the program on the X server and waits for its window and its
    // first drawing.
    std::string launch(const std::string& program, ChildOptions options);
    // Runs an X tool (xdotool, xprop, import) on this server; its output.
    std::string x_tool(const std::vector<std::string>& argv, int* code = nullptr);
    bool capture(Picture& out);
    bool key(const std::vector<std::string>& keys, const char* command = "key");
    // Waits for the screen to show one of the pictures exactly; on failure
    // says how near it came and keeps the last screenshot.
    ::testing::AssertionResult shows(const std::vector<Picture>& any_of, const std::string& state,
                                     double timeout = 10.0);
    ::testing::AssertionResult press(const std::vector<std::string>& keys, const std::vector<Picture>& any_of,
                                     const std::string& state, double timeout = 10.0);
    // Waits for the game to end; its exit code, or -1. Its output in *said.
    int ended(std::string* said = nullptr, double timeout = 10.0);
    // Saves the picture as PNG in the test's folder window-test-screens.
    std::string keep(const Picture& picture, const std::string& name) const;
};

// The fewest differing pixels from the picture to any of the pictures (-1
// when no size matches).
int64_t nearest_difference(const Picture& picture, const std::vector<Picture>& pictures);

// What valkron-sim presents for the menu walk of the tests, by state, each
// over eight ticks in a row (the menu's green text pulses in an
// eight-frame cycle):
//   "menu 0" New game, frag limit 10 (after the intro); "menu 1" Change
//   limit (Down); "menu 1 limit" limit 11 (Right); "menu 0 limit" (Up);
//   "menu 6 limit" Help (Down x 6); "help" (Enter); "menu 9 limit" Exit
//   (Escape, Down x 3).
const std::map<std::string, std::vector<Picture>>& menu_frames();

// The seven lines of a settings file with the default names, 400 x 300.
std::string settings_text(int32_t limit);
extern const char game_title[];
