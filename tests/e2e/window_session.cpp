#include "window_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "png_writer.h"

const char game_title[] = "Valkron Engine 1.0";

namespace {

void sleep_seconds(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Reads what the descriptor gives until it ends or the deadline passes.
std::string read_until(int fd, double deadline, const std::string& stop_at = "")
{
    std::string text;
    char buffer[4096];
    while (now_seconds() < deadline && (stop_at.empty() || text.find(stop_at) == std::string::npos)) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, size_t(n));
    }
    return text;
}

}  // namespace

bool have_x_tools()
{
    for (const char* tool : {"Xvfb", "xdotool", "xprop", "import"}) {
        if (std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) != 0) return false;
    }
    return true;
}

double now_seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Child::~Child()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        if (!wait_child(*this, 3.0)) {
            kill(pid, SIGKILL);
            wait_child(*this, 5.0);
        }
    }
}

bool start_child(Child& child, const std::vector<std::string>& argv, const ChildOptions& options, int output_fd,
                 int keep_fd)
{
    child.exit_code = -1;
    child.pid = fork();
    if (child.pid != 0) return child.pid > 0;
    setpgid(0, 0);  // keys typed at the test's terminal are not its business
    if (!options.dir.empty() && chdir(options.dir.c_str()) != 0) _exit(126);
    for (const std::string& name : options.unset_env) unsetenv(name.c_str());
    for (const std::string& pair : options.set_env) putenv(const_cast<char*>(pair.c_str()));
    const int null_fd = open("/dev/null", O_RDWR);
    if (output_fd < 0) output_fd = options.log.empty() ? null_fd : open(options.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(null_fd, 0);
    dup2(output_fd, 1);
    dup2(output_fd, 2);
    if (keep_fd >= 0) fcntl(keep_fd, F_SETFD, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

bool wait_child(Child& child, double timeout)
{
    const double deadline = now_seconds() + timeout;
    while (child.pid > 0) {
        int status = 0;
        const pid_t done = waitpid(child.pid, &status, WNOHANG);
        if (done != 0) {
            child.exit_code = done < 0 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            child.pid = -1;
        } else if (now_seconds() >= deadline) {
            return false;
        } else {
            sleep_seconds(0.02);
        }
    }
    return true;
}

int run_program(const std::vector<std::string>& argv, const ChildOptions& options, double timeout, std::string* output)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    Child child;
    const bool started = start_child(child, argv, options, fds[1]);
    close(fds[1]);
    const double deadline = now_seconds() + timeout;
    const std::string text = started ? read_until(fds[0], deadline) : "";
    close(fds[0]);
    if (output) *output = text;
    return started && wait_child(child, std::max(0.0, deadline - now_seconds())) ? child.exit_code : -1;
}

std::string GameOnScreen::start(int32_t width, int32_t height, const std::string& program, const ChildOptions& options)
{
    // Xvfb writes the display number it took once it accepts clients.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return "no pipe";
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const bool started = start_child(x, {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten",
                                         "tcp", "-noreset"}, {}, -1, fds[1]);
    close(fds[1]);
    const std::string number = started ? read_until(fds[0], now_seconds() + 20.0, "\n") : "";
    close(fds[0]);
    if (number.find('\n') == std::string::npos || number[0] == '\n') return "Xvfb did not start (" + screen + ")";
    display = ":" + number.substr(0, number.find('\n'));
    return launch(program, options);
}

std::string GameOnScreen::launch(const std::string& program, ChildOptions options)
{
    // This X server, also on a desktop that offers Wayland.
    options.set_env.insert(options.set_env.end(), {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11"});
    options.unset_env.push_back("WAYLAND_DISPLAY");
    options.log = scratch.file("game.log");
    if (!start_child(game, {program}, options)) return "cannot start " + program;
    int code = 0;
    x_tool({"xdotool", "search", "--sync", "--onlyvisible", "--name", "^Valkron Engine 1\\.0$"}, &code);
    if (code != 0) return "no window appeared; the game said: " + scratch.read_text("game.log");
    Picture shot;
    const double deadline = now_seconds() + 20.0;
    while (now_seconds() < deadline) {
        if (capture(shot) && std::any_of(shot.pixels.begin(), shot.pixels.end(), [](uint32_t p) { return p != 0; }))
            return "";
        sleep_seconds(0.05);
    }
    return "the window stayed black; the game said: " + scratch.read_text("game.log");
}

std::string GameOnScreen::x_tool(const std::vector<std::string>& argv, int* code)
{
    std::string output;
    const int result = run_program(argv, {"", {"DISPLAY=" + display}, {}, ""}, 20.0, &output);
    if (code) *code = result;
    return output;
}

bool GameOnScreen::capture(Picture& out)
{
    const std::string path = scratch.file("screen-" + std::to_string(shots++ % 4) + ".png");
    std::filesystem::remove(path);
    int code = 0;
    x_tool({"import", "-silent", "-window", "root", "PNG24:" + path}, &code);  // 8-bit RGB
    return code == 0 && read_png(path, out);
}

bool GameOnScreen::key(const std::vector<std::string>& keys, const char* command)
{
    std::vector<std::string> argv = {"xdotool", command, "--delay", "40"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    int code = 0;
    x_tool(argv, &code);
    return code == 0;
}

::testing::AssertionResult GameOnScreen::shows(const std::vector<Picture>& any_of, const std::string& state,
                                               double timeout)
{
    const double deadline = now_seconds() + timeout;
    Picture shot;
    do {
        if (capture(shot) && nearest_difference(shot, any_of) == 0) return ::testing::AssertionSuccess();
        sleep_seconds(0.05);
    } while (now_seconds() < deadline);
    return ::testing::AssertionFailure() << "the screen did not show \"" << state << "\" within " << timeout << " s: "
                                         << nearest_difference(shot, any_of) << " pixels differ from valkron-sim's"
                                         << " (kept as " << keep(shot, state) << ")";
}

::testing::AssertionResult GameOnScreen::press(const std::vector<std::string>& keys, const std::vector<Picture>& any_of,
                                               const std::string& state, double timeout)
{
    if (!key(keys)) return ::testing::AssertionFailure() << "xdotool could not type the keys for " << state;
    return shows(any_of, state, timeout);
}

int GameOnScreen::ended(std::string* said, double timeout)
{
    const bool done = wait_child(game, timeout);
    if (said) *said = scratch.read_text("game.log");
    return done ? game.exit_code : -1;
}

std::string GameOnScreen::keep(const Picture& picture, const std::string& name) const
{
    std::filesystem::create_directories("window-test-screens");
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string file = (info ? std::string(info->name()) + "-" : "") + name + ".png";
    std::replace(file.begin(), file.end(), ' ', '-');
    const std::string path = std::filesystem::absolute("window-test-screens").string() + "/" + file;
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
             {56, "Escape", 1}, {57, "Down", 3}}) {
        for (int i = 0; i < times; ++i) script += std::to_string(tick) + " down " + key + "\n" + std::to_string(tick) + " up " + key + "\n";
    }
    const std::vector<std::pair<const char*, int>> states = {{"menu 0", 3},        {"menu 1", 12}, {"menu 1 limit", 21},
                                                             {"menu 0 limit", 30}, {"menu 6 limit", 39}, {"help", 48},
                                                             {"menu 9 limit", 58}};
    GameCopy copy;
    std::vector<std::string> args = {"--ticks", "65", "--seed", "1", "--keys", copy.keys(script)};
    for (int t = 3; t < 66; ++t) args.insert(args.end(), {"--png", std::to_string(t) + ":" + copy.path(std::to_string(t) + ".png")});
    const SimResult result = copy.run(args);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    for (const auto& [state, first] : states) {
        for (int t = first; t < first + 8; ++t) {
            Picture p;
            if (read_png(copy.path(std::to_string(t) + ".png"), p)) frames[state].push_back(p);
        }
        EXPECT_EQ(frames[state].size(), 8u) << state;
    }
    return frames;
}

std::string settings_text(int32_t limit)
{
    return "ResX=400\nResY=300\nLimit=" + std::to_string(limit) + "\nPlane.0=0\nPlane.1=0\nName.0=Player 1\nName.1=Player 2\n";
}
