#include "wine_game_support.h"

#include <filesystem>

std::string GameOnScreen::start(int32_t width, int32_t height, const std::string& program, ChildOptions options)
{
    std::string error;
    if (!x.start(width, height, error)) {
        return error;
    }
    screen.display = x.display;
    screen.scratch = scratch.path();
    log = scratch.file("game.log");
    // The X server of this run, also on a desktop that offers Wayland.
    options.set_env.push_back("DISPLAY=" + x.display);
    options.set_env.push_back("SDL_VIDEODRIVER=x11");
    options.unset_env.push_back("WAYLAND_DISPLAY");
#if VALKRON_SANITIZED
    // Under the sanitizers every leak fails the run. Mesa's OpenGL driver,
    // which SDL loads and unloads by itself, keeps a few bytes that cannot
    // be traced back to any library once it is unloaded; SDL's own software
    // renderer on plain X images loads no such driver, so everything the
    // game and SDL allocate is checked. (The normal build runs the OpenGL
    // renderer a player gets.)
    options.set_env.push_back("SDL_RENDER_DRIVER=software");
    options.set_env.push_back("SDL_FRAMEBUFFER_ACCELERATION=0");
#endif
    options.log = log;
    if (!start_child(game, {program}, options)) {
        return "cannot start " + program;
    }
    if (!screen.wait_for_window(game_title, 20.0)) {
        return "no window \"" + std::string(game_title) + "\" appeared; the game said: " + game_output();
    }
    if (!screen.wait_for_drawing(20.0)) {
        return "the window stayed black; the game said: " + game_output();
    }
    return "";
}

::testing::AssertionResult GameOnScreen::shows(const std::vector<Picture>& any_of, const std::string& state,
                                               double timeout)
{
    if (any_of.empty()) {
        return ::testing::AssertionFailure() << "no reference frames for " << state;
    }
    Picture last;
    if (screen.wait_for(any_of, timeout, &last) >= 0) {
        return ::testing::AssertionSuccess();
    }
    const std::string kept = screen.keep(last, state);
    screen.keep(any_of[0], state + " expected");
    return ::testing::AssertionFailure()
           << "the screen did not show \"" << state << "\" within " << timeout << " s: "
           << nearest_difference(last, any_of) << " pixels differ from the nearest frame of valkron-sim"
           << " (screenshot " << last.width << "x" << last.height << " kept as " << kept << ")";
}

::testing::AssertionResult GameOnScreen::press(const std::vector<std::string>& keys,
                                               const std::vector<Picture>& any_of, const std::string& state,
                                               double timeout)
{
    if (!screen.key(keys)) {
        return ::testing::AssertionFailure() << "xdotool could not type the keys for " << state;
    }
    return shows(any_of, state, timeout);
}

int GameOnScreen::ended(double timeout)
{
    return wait_child(game, timeout) ? game.exit_code : -1;
}

std::string GameOnScreen::game_output() const
{
    return read_text_file(log);
}

std::string settings_text(int32_t limit)
{
    return "ResX=400\nResY=300\nLimit=" + std::to_string(limit) +
           "\nPlane.0=0\nPlane.1=0\nName.0=Player 1\nName.1=Player 2\n";
}

const std::vector<std::string> both_players_fly = {"Insert", "Left", "Home", "1", "a", "3"};

std::vector<uint32_t> half(const Picture& p, int side)
{
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < p.height; ++y) {
        for (int32_t x = side * p.width / 2; x < (side + 1) * p.width / 2; ++x) {
            out.push_back(p.at(x, y));
        }
    }
    return out;
}
