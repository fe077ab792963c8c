// The Wine tests' X session (tests/e2e/wine_*): a private Xvfb, programs
// started and stopped by process id, key presses through
// xdotool (XTEST, as from a keyboard), screenshots through ImageMagick's
// import, and the frames valkron-sim presents for the same keys to compare
// them with.
//
// Nothing here waits for a fixed time and hopes: every step polls for what
// it waits for (the window, a picture on the screen, the end of a process)
// until a deadline.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim_support.h"

// Seconds on a steady clock since an arbitrary start.
double now_seconds();

// Whether a program of that name is on the PATH.
bool have_program(const std::string& name);
// Whether Xvfb, xdotool and import are there: without them the real-window
// tests skip.
bool have_x_tools();

// How a program is started: its working directory, variables to set
// ("NAME=value") and to remove, and a file for its standard output and
// error (none: /dev/null).
struct ChildOptions {
    std::string dir;
    std::vector<std::string> set_env;
    std::vector<std::string> unset_env;
    std::string log;
};

// A program started by a test. Its destructor ends it (by its process id)
// if it still runs.
struct Child {
    pid_t pid = -1;
    int exit_code = -1;  // once ended: its exit code, or 128 + the signal
    Child() = default;
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
};

bool start_child(Child& child, const std::vector<std::string>& argv, const ChildOptions& options,
                 int keep_fd = -1);
// True when the program ended within the time (exit_code then set).
bool wait_child(Child& child, double timeout);
// Ends the program: SIGTERM, then SIGKILL if it still runs after 3 s.
void stop_child(Child& child);
// Runs a program to its end; its exit code, or -1 when it had to be
// stopped after timeout seconds. Output (standard output and error) is
// returned when asked for.
int run_program(const std::vector<std::string>& argv, const ChildOptions& options, double timeout,
                std::string* output = nullptr);

// A private X server (Xvfb) of one screen, width x height at 24 bits; it
// picks a free display number itself.
struct XServer {
    Child process;
    std::string display;  // ":N"
    bool start(int32_t width, int32_t height, std::string& error);
    ~XServer();
};

// The screen and keyboard of an X server.
struct Screen {
    std::string display;
    std::string scratch;  // where screenshots are written
    std::string window = "root";  // what capture photographs: an X window id, or the whole screen
    int32_t shots = 0;

    // The window (the whole screen) as it shows now.
    bool capture(Picture& out);
    // xdotool key / keydown / keyup with key names ("Down", "Return", "a").
    bool key(const std::vector<std::string>& keys);
    bool key_down(const std::vector<std::string>& keys);
    bool key_up(const std::vector<std::string>& keys);
    // Waits for a visible window of that title.
    bool wait_for_window(const std::string& title, double timeout);
    // Polls the screen until it shows one of the pictures exactly; the index
    // of the first that matched, or -1 at the deadline (last: the latest
    // screenshot).
    int wait_for(const std::vector<Picture>& any_of, double timeout, Picture* last = nullptr);
    // Polls until the screen is not all black (the game draws).
    bool wait_for_drawing(double timeout);
    // Saves the picture as PNG under `scratch` and in the test's log folder
    // (for a failure report); the path.
    std::string keep(const Picture& picture, const std::string& name) const;

private:
    bool xdotool_keys(const char* command, const char* delay_ms, const std::vector<std::string>& keys);
};

bool same_picture(const Picture& a, const Picture& b);
// The number of pixels that differ, or -1 when the sizes differ.
int64_t differing_pixels(const Picture& a, const Picture& b);
// The fewest differing pixels from `picture` to any of `pictures`.
int64_t nearest_difference(const Picture& picture, const std::vector<Picture>& pictures);
// The frame as a screen of width x height shows it scaled by a whole
// number and centred, black around it.
Picture framed(const Picture& frame, int32_t scale, int32_t width, int32_t height);

// What valkron-sim presents for the menu walk the real-window tests make,
// by state: each state's frames over eight ticks in a row (the menu's green
// text pulses in an eight-frame cycle, so one of them is what the real game
// shows at any moment).
//
//   "menu 0"        New game selected, frag limit 10 (after the intro)
//   "menu 1"        Change limit, 10      (Down)
//   "menu 1 limit"  Change limit, 11      (Right)
//   "menu 0 limit"  New game, 11          (Up)
//   "menu 6 limit"  Help, 11              (Down x 6)
//   "help"          the help screen       (Enter)
//   "menu 9 limit"  Exit, 11              (Escape, Down x 3)
const std::map<std::string, std::vector<Picture>>& menu_frames();

// The game's window title.
extern const char game_title[];
