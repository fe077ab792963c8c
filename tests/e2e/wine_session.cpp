#include "wine_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "png_writer.h"

const char game_title[] = "Valkron Engine 1.0";

namespace {

void sleep_seconds(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// In the child, between fork and exec: where it runs, what it sees.
[[noreturn]] void exec_child(const std::vector<std::string>& argv, const ChildOptions& options, int output_fd,
                             int keep_fd)
{
    setpgid(0, 0);  // keys typed at the test's terminal are not its business
    if (!options.dir.empty() && chdir(options.dir.c_str()) != 0) {
        _exit(126);
    }
    for (const std::string& name : options.unset_env) {
        unsetenv(name.c_str());
    }
    for (const std::string& pair : options.set_env) {
        const size_t equals = pair.find('=');
        setenv(pair.substr(0, equals).c_str(), pair.substr(equals + 1).c_str(), 1);
    }
    const int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, 0);
    if (output_fd < 0) {
        output_fd = options.log.empty() ? null_fd : open(options.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    dup2(output_fd, 1);
    dup2(output_fd, 2);
    if (keep_fd >= 0) {
        fcntl(keep_fd, F_SETFD, 0);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

int exit_code_of(int status)
{
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

bool start_with_output(Child& child, const std::vector<std::string>& argv, const ChildOptions& options,
                       int output_fd, int keep_fd)
{
    child.exit_code = -1;
    child.pid = fork();
    if (child.pid == 0) {
        exec_child(argv, options, output_fd, keep_fd);
    }
    return child.pid > 0;
}

}  // namespace

double now_seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool have_program(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) {
            end = dirs.size();
        }
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool have_x_tools()
{
    return have_program("Xvfb") && have_program("xdotool") && have_program("import");
}

Child::~Child()
{
    stop_child(*this);
}

bool start_child(Child& child, const std::vector<std::string>& argv, const ChildOptions& options, int keep_fd)
{
    return start_with_output(child, argv, options, -1, keep_fd);
}

bool wait_child(Child& child, double timeout)
{
    if (child.pid <= 0) {
        return true;
    }
    const double deadline = now_seconds() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(child.pid, &status, WNOHANG);
        if (done == child.pid || done < 0) {
            child.exit_code = done == child.pid ? exit_code_of(status) : -1;
            child.pid = -1;
            return true;
        }
        if (now_seconds() >= deadline) {
            return false;
        }
        sleep_seconds(0.02);
    }
}

void stop_child(Child& child)
{
    if (child.pid <= 0) {
        return;
    }
    kill(child.pid, SIGTERM);
    if (!wait_child(child, 3.0)) {
        kill(child.pid, SIGKILL);
        wait_child(child, 5.0);
    }
}

int run_program(const std::vector<std::string>& argv, const ChildOptions& options, double timeout,
                std::string* output)
{
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
        return -1;
    }
    Child child;
    const bool started = start_with_output(child, argv, options, pipe_fds[1], -1);
    close(pipe_fds[1]);
    const double deadline = now_seconds() + timeout;
    std::string text;
    char buffer[4096];
    for (bool open = started; open;) {
        const double left = deadline - now_seconds();
        if (left <= 0) {
            break;
        }
        pollfd p = {pipe_fds[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left * 1000) + 1) <= 0) {
            continue;
        }
        const ssize_t n = read(pipe_fds[0], buffer, sizeof buffer);
        if (n <= 0) {
            open = false;
        } else {
            text.append(buffer, static_cast<size_t>(n));
        }
    }
    close(pipe_fds[0]);
    if (output) {
        *output = text;
    }
    if (!started || !wait_child(child, std::max(0.0, deadline - now_seconds()))) {
        return -1;  // the destructor stops it
    }
    return child.exit_code;
}

bool XServer::start(int32_t width, int32_t height, std::string& error)
{
    // Xvfb writes the display number it took to the descriptor once it
    // accepts clients: no guessed numbers, no polling for its socket.
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
        error = "no pipe";
        return false;
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const bool started = start_child(process,
                                     {"Xvfb", "-displayfd", std::to_string(pipe_fds[1]), "-screen", "0", screen,
                                      "-nolisten", "tcp", "-noreset"},
                                     {}, pipe_fds[1]);
    close(pipe_fds[1]);
    std::string number;
    const double deadline = now_seconds() + 20.0;
    while (started && now_seconds() < deadline && number.find('\n') == std::string::npos) {
        pollfd p = {pipe_fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) {
            continue;
        }
        char buffer[32];
        const ssize_t n = read(pipe_fds[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        number.append(buffer, static_cast<size_t>(n));
    }
    close(pipe_fds[0]);
    const size_t end = number.find('\n');
    if (!started || end == std::string::npos || end == 0) {
        error = "Xvfb did not start (" + screen + ")";
        stop_child(process);
        return false;
    }
    display = ":" + number.substr(0, end);
    return true;
}

XServer::~XServer()
{
    stop_child(process);
}

bool Screen::capture(Picture& out)
{
    const std::string path = scratch + "/screen-" + std::to_string(shots++ % 4) + ".png";
    std::filesystem::remove(path);
    // PNG24: 8-bit RGB whatever colours the screen holds.
    if (run_program({"import", "-silent", "-window", window, "PNG24:" + path}, {"", {"DISPLAY=" + display}, {}, ""},
                    20.0) != 0) {
        return false;
    }
    return read_png(path, out);
}

bool Screen::xdotool_keys(const char* command, const char* delay_ms, const std::vector<std::string>& keys)
{
    std::vector<std::string> argv = {"xdotool", command, "--delay", delay_ms};
    argv.insert(argv.end(), keys.begin(), keys.end());
    return run_program(argv, {"", {"DISPLAY=" + display}, {}, ""}, 20.0) == 0;
}

bool Screen::key(const std::vector<std::string>& keys)
{
    return xdotool_keys("key", "40", keys);
}

bool Screen::key_down(const std::vector<std::string>& keys)
{
    return xdotool_keys("keydown", "10", keys);
}

bool Screen::key_up(const std::vector<std::string>& keys)
{
    return xdotool_keys("keyup", "10", keys);
}

bool Screen::wait_for_window(const std::string& title, double timeout)
{
    std::string pattern = "^";
    for (char c : title) {
        if (std::strchr(".[]()*+?^$\\|{}", c)) {
            pattern += '\\';
        }
        pattern += c;
    }
    pattern += "$";
    return run_program({"xdotool", "search", "--sync", "--onlyvisible", "--name", pattern},
                       {"", {"DISPLAY=" + display}, {}, ""}, timeout) == 0;
}

int Screen::wait_for(const std::vector<Picture>& any_of, double timeout, Picture* last)
{
    const double deadline = now_seconds() + timeout;
    Picture shot;
    for (;;) {
        if (capture(shot)) {
            for (size_t i = 0; i < any_of.size(); ++i) {
                if (same_picture(shot, any_of[i])) {
                    if (last) {
                        *last = shot;
                    }
                    return static_cast<int>(i);
                }
            }
        }
        if (now_seconds() >= deadline) {
            if (last) {
                *last = shot;
            }
            return -1;
        }
        sleep_seconds(0.05);
    }
}

bool Screen::wait_for_drawing(double timeout)
{
    const double deadline = now_seconds() + timeout;
    Picture shot;
    while (now_seconds() < deadline) {
        if (capture(shot) && std::any_of(shot.pixels.begin(), shot.pixels.end(), [](uint32_t p) { return p != 0; })) {
            return true;
        }
        sleep_seconds(0.05);
    }
    return false;
}

std::string Screen::keep(const Picture& picture, const std::string& name) const
{
    // Beside the test program's other output, so that a failed run can be
    // looked at afterwards.
    std::filesystem::create_directories("window-test-screens");
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string file = (info ? std::string(info->name()) + "-" : "") + name + ".png";
    std::replace(file.begin(), file.end(), ' ', '-');
    const std::string path = std::filesystem::absolute("window-test-screens").string() + "/" + file;
    if (picture.width > 0 && !picture.pixels.empty()) {
        write_png(path.c_str(), picture.pixels.data(), picture.width, picture.height);
    }
    return path;
}

bool same_picture(const Picture& a, const Picture& b)
{
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

int64_t differing_pixels(const Picture& a, const Picture& b)
{
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size()) {
        return -1;
    }
    int64_t count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        count += (a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF);
    }
    return count;
}

int64_t nearest_difference(const Picture& picture, const std::vector<Picture>& pictures)
{
    int64_t best = -1;
    for (const Picture& p : pictures) {
        const int64_t d = differing_pixels(picture, p);
        if (d >= 0 && (best < 0 || d < best)) {
            best = d;
        }
    }
    return best;
}

Picture framed(const Picture& frame, int32_t scale, int32_t width, int32_t height)
{
    Picture out;
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<size_t>(width) * height, 0);
    const int32_t left = (width - frame.width * scale) / 2, top = (height - frame.height * scale) / 2;
    for (int32_t y = 0; y < frame.height * scale; ++y) {
        for (int32_t x = 0; x < frame.width * scale; ++x) {
            out.pixels[static_cast<size_t>(top + y) * width + left + x] = frame.at(x / scale, y / scale) & 0xFFFFFF;
        }
    }
    return out;
}

const std::map<std::string, std::vector<Picture>>& menu_frames()
{
    static std::map<std::string, std::vector<Picture>> frames;
    if (!frames.empty()) {
        return frames;
    }
    auto press = [](int tick, const char* key, int times = 1) {
        std::string lines;
        for (int i = 0; i < times; ++i) {
            lines += std::to_string(tick) + " down " + key + "\n" + std::to_string(tick) + " up " + key + "\n";
        }
        return lines;
    };
    const std::string script = press(1, "Escape") + press(11, "Down") + press(20, "Right") + press(29, "Up") +
                               press(38, "Down", 6) + press(47, "Enter") + press(56, "Escape") +
                               press(57, "Down", 3);
    const struct {
        const char* state;
        int first_tick;
    } states[] = {
        {"menu 0", 3},        {"menu 1", 12}, {"menu 1 limit", 21},  {"menu 0 limit", 30},
        {"menu 6 limit", 39}, {"help", 48},   {"menu 9 limit", 58},
    };
    GameCopy copy;
    std::vector<std::string> args = {"--ticks", "65", "--seed", "1", "--keys", copy.keys(script)};
    for (const auto& s : states) {
        for (int t = s.first_tick; t < s.first_tick + 8; ++t) {
            args.push_back("--png");
            args.push_back(std::to_string(t) + ":" + copy.path("tick-" + std::to_string(t) + ".png"));
        }
    }
    const SimResult result = copy.run(args);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    for (const auto& s : states) {
        std::vector<Picture>& list = frames[s.state];
        for (int t = s.first_tick; t < s.first_tick + 8; ++t) {
            Picture p;
            if (read_png(copy.path("tick-" + std::to_string(t) + ".png"), p)) {
                list.push_back(p);
            }
        }
        EXPECT_EQ(list.size(), 8u) << s.state;
    }
    return frames;
}
