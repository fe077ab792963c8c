#include "window_session.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "png_writer.h"

namespace {

void sleep_seconds(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace

double now_seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int run_shell(const std::string& command, std::string* output)
{
    FILE* pipe = popen(("exec " + command + " 2>&1 </dev/null").c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    const int status = pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Background::~Background()
{
    if (pid > 0 && kill(pid, SIGTERM) == 0 && !wait(3)) {
        kill(pid, SIGKILL);
        wait(5);
    }
}

bool Background::start(const std::string& command, const std::string& log)
{
    pid = fork();
    if (pid == 0) {
        setpgid(0, 0);  // keys typed at the test's terminal are not its business
        execl("/bin/sh", "sh", "-c", ("exec " + command + " </dev/null >'" + log + "' 2>&1").c_str(), nullptr);
        _exit(127);
    }
    return pid > 0;
}

bool Background::wait(double timeout)
{
    for (const double deadline = now_seconds() + timeout; pid > 0; sleep_seconds(0.02)) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done != 0) {
            exit_code = done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            pid = -1;
        } else if (now_seconds() >= deadline) {
            return false;
        }
    }
    return true;
}

std::string GameOnScreen::start_x(int32_t width, int32_t height)
{
    // Xvfb writes the display number it took once it accepts clients.
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    x.start("Xvfb -displayfd 3 -screen 0 " + screen + " -nolisten tcp -noreset 3>'" + scratch.file("display") + "'",
            scratch.file("x.log"));
    for (const double deadline = now_seconds() + 20; display.empty() && now_seconds() < deadline; sleep_seconds(0.05)) {
        const std::string number = scratch.read_text("display");
        if (number.find('\n') != std::string::npos) display = ":" + number.substr(0, number.find('\n'));
    }
    return display.empty() ? "Xvfb did not start: " + scratch.read_text("x.log") : "";
}

std::string GameOnScreen::start(int32_t width, int32_t height, const std::string& program, const std::string& dir,
                                const std::string& env)
{
    const std::string error = start_x(width, height);
    return error.empty() ? launch(program, dir, env) : error;
}

std::string GameOnScreen::launch(const std::string& program, const std::string& dir, const std::string& env)
{
    // This X server, also on a desktop that offers Wayland.
    game.start("env -u WAYLAND_DISPLAY " + env + " DISPLAY=" + display + " SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy" +
                   " sh -c \"cd '" + dir + "' && exec '" + program + "'\"",
               scratch.file("game.log"));
    Picture shot;
    for (const double deadline = now_seconds() + 20; now_seconds() < deadline; sleep_seconds(0.05))
        if (capture(shot) && std::any_of(shot.pixels.begin(), shot.pixels.end(), [](uint32_t p) { return p != 0; }))
            return "";
    return "nothing was drawn; the game said: " + said();
}

std::string GameOnScreen::x_tool(const std::string& command, int* code)
{
    std::string output;
    const int result = run_shell("env DISPLAY=" + display + " timeout 20 " + command, &output);
    if (code) *code = result;
    return output;
}

bool GameOnScreen::capture(Picture& out)
{
    const std::string path = scratch.file("screen-" + std::to_string(shots++ % 4) + ".png");
    std::filesystem::remove(path);
    int code = 0;
    x_tool("import -silent -window " + window + " PNG24:" + path, &code);  // 8-bit RGB
    return code == 0 && read_png(path, out);
}

bool GameOnScreen::key(const std::string& keys, const char* command)
{
    int code = 0;
    x_tool(std::string("xdotool ") + command + " --delay 40 " + keys, &code);
    return code == 0;
}

::testing::AssertionResult GameOnScreen::shows(const std::vector<Picture>& any_of, const std::string& state, double timeout)
{
    Picture shot;
    for (const double deadline = now_seconds() + timeout; now_seconds() < deadline; sleep_seconds(0.05))
        if (capture(shot) && nearest_difference(shot, any_of) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the screen did not show \"" << state << "\": "
                                         << nearest_difference(shot, any_of) << " pixels differ from valkron-sim's"
                                         << " (kept as " << keep(shot, state) << "); the game said: "
                                         << said();
}

::testing::AssertionResult GameOnScreen::press(const std::string& keys, const std::vector<Picture>& any_of,
                                               const std::string& state, double timeout)
{
    if (!key(keys)) return ::testing::AssertionFailure() << "xdotool could not type " << keys;
    return shows(any_of, state, timeout);
}

::testing::AssertionResult GameOnScreen::both_halves_change(const Picture& from, const std::string& state,
                                                            double timeout)
{
    const auto half_changed = [&](const Picture& shot, int32_t x0) {
        for (int32_t y = 0; y < shot.height; ++y)
            for (int32_t x = x0; x < x0 + shot.width / 2; ++x)
                if (shot.at(x, y) != from.at(x, y)) return true;
        return false;
    };
    Picture shot;
    for (const double deadline = now_seconds() + timeout; now_seconds() < deadline;) {
        if (capture(shot) && shot.width == from.width && shot.height == from.height && half_changed(shot, 0) &&
            half_changed(shot, shot.width / 2))
            return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "both halves did not change within " << timeout
                                         << " s; last screenshot kept as " << keep(shot, state);
}

std::string GameOnScreen::said() const
{
    return scratch.read_text("game.log");
}

int GameOnScreen::ended(double timeout)
{
    return game.wait(timeout) ? game.exit_code : -1;
}

std::string GameOnScreen::keep(const Picture& picture, const std::string& name) const
{
    std::filesystem::create_directories("window-test-screens");
    std::string file = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" + name + ".png";
    std::replace(file.begin(), file.end(), ' ', '-');
    const std::string path = std::filesystem::absolute("window-test-screens/" + file).string();
    if (!picture.pixels.empty()) write_png(path.c_str(), picture.pixels.data(), picture.width, picture.height);
    return path;
}

int64_t nearest_difference(const Picture& picture, const std::vector<Picture>& pictures)
{
    int64_t best = -1;
    for (const Picture& p : pictures) {
        if (p.width != picture.width || p.height != picture.height) continue;
        int64_t count = 0;
        for (size_t i = 0; i < p.pixels.size(); ++i) count += (p.pixels[i] & 0xFFFFFF) != (picture.pixels[i] & 0xFFFFFF);
        best = best < 0 ? count : std::min(best, count);
    }
    return best;
}

const std::map<std::string, std::vector<Picture>>& menu_frames()
{
    static std::map<std::string, std::vector<Picture>> frames;
    if (!frames.empty()) return frames;
    std::string script;
    for (const auto& [tick, key, times] : std::vector<std::tuple<int, const char*, int>>{
             {1, "Escape", 1}, {11, "Down", 1}, {20, "Right", 1}, {29, "Up", 1}, {38, "Down", 6}, {47, "Enter", 1},
             {56, "Escape", 1}, {57, "Down", 3}})
        for (int i = 0; i < times; ++i) script += std::to_string(tick) + " down " + key + "\n" + std::to_string(tick) + " up " + key + "\n";
    GameCopy copy;
    std::vector<std::string> args = {"--ticks", "65", "--seed", "1", "--keys", copy.keys(script)};
    for (int t = 3; t < 66; ++t) args.insert(args.end(), {"--png", std::to_string(t) + ":" + copy.path(std::to_string(t) + ".png")});
    EXPECT_EQ(copy.run(args).exit_code, 0);
    for (const auto& [state, first] : std::vector<std::pair<const char*, int>>{
             {"menu 0", 3}, {"menu 1", 12}, {"menu 1 limit", 21}, {"menu 0 limit", 30}, {"menu 6 limit", 39}, {"help", 48},
             {"menu 9 limit", 58}})
        for (int t = first; t < first + 8; ++t)
            EXPECT_TRUE(read_png(copy.path(std::to_string(t) + ".png"), frames[state].emplace_back())) << state;
    return frames;
}

std::string settings_text(int32_t limit)
{
    return "ResX=400\nResY=300\nLimit=" + std::to_string(limit) + "\nPlane.0=0\nPlane.1=0\nName.0=Player 1\nName.1=Player 2\n";
}
