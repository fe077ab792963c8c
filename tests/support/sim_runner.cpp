#include "sim_runner.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

std::string quoted(const std::string& word)
{
    std::string out = "'";
    for (char c : word) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

}  // namespace

bool is_settings_file(const std::string& path)
{
    std::string name = std::filesystem::path(path).filename().string();
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name == "settings.ini" || name == "settings.ini.tmp";
}

const char* sim_program()
{
#ifdef VALKRON_SIM_PATH
    return VALKRON_SIM_PATH;
#else
    return nullptr;
#endif
}

GameCopy::GameCopy()
{
    // Without a game directory the copy stays empty (the caller skips).
    std::error_code error;
    std::filesystem::copy(VALKRON_GAME_DIR, game.path(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing,
                          error);
    for (const auto& entry : std::filesystem::directory_iterator(game.path())) {
        if (is_settings_file(entry.path().string())) {
            std::filesystem::remove(entry.path());
        }
    }
}

SimResult GameCopy::run(const std::vector<std::string>& args, const std::string& input) const
{
    SimResult result;
    if (!sim_program()) {
        result.err = "valkron-sim is not part of this build";
        return result;
    }
    const std::string in = work.write("stdin.txt", input);
    std::string command = "cd " + quoted(game.path()) + " && " + quoted(sim_program());
    for (const std::string& a : args) {
        command += " " + quoted(a);
    }
    command += " < " + quoted(in) + " > " + quoted(work.file("stdout.txt")) + " 2> " +
               quoted(work.file("stderr.txt"));
    const int status = std::system(command.c_str());
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = read_text_file(work.file("stdout.txt"));
    result.err = read_text_file(work.file("stderr.txt"));
    return result;
}

std::vector<Json> GameCopy::trace(const std::vector<std::string>& args, SimResult* result,
                                  const std::string& input) const
{
    std::vector<std::string> all = args;
    all.push_back("--trace");
    all.push_back(work.file("trace.jsonl"));
    std::filesystem::remove(work.file("trace.jsonl"));
    const SimResult r = run(all, input);
    if (result) {
        *result = r;
    }
    std::vector<Json> lines;
    const std::string text = read_text_file(work.file("trace.jsonl"));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        Json line;
        if (!parse_json(text.substr(start, end - start), line)) {
            line = Json{};
            line.kind = Json::string;
            line.text = "not JSON: " + text.substr(start, end - start);
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string GameCopy::keys(const std::string& script) const
{
    return work.write("keys.txt", script);
}

SimProcess::~SimProcess()
{
    if (pid_ > 0) {
        finish();
    }
}

bool SimProcess::start(const std::string& dir, const std::vector<std::string>& args)
{
    const char* program = sim_program();
    if (!program || pid_ > 0) {
        return false;
    }
    int in_pipe[2], out_pipe[2];
    if (pipe(in_pipe) != 0) {
        return false;
    }
    if (pipe(out_pipe) != 0) {
        ::close(in_pipe[0]);
        ::close(in_pipe[1]);
        return false;
    }
    pid_ = fork();
    if (pid_ < 0) {
        return false;
    }
    if (pid_ == 0) {
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        ::close(in_pipe[0]);
        ::close(in_pipe[1]);
        ::close(out_pipe[0]);
        ::close(out_pipe[1]);
        if (chdir(dir.c_str()) != 0) {
            _exit(127);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program, argv.data());
        _exit(127);
    }
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    signal(SIGPIPE, SIG_IGN);
    to_child_ = fdopen(in_pipe[1], "w");
    from_child_ = fdopen(out_pipe[0], "r");
    return to_child_ && from_child_;
}

bool SimProcess::read_line(std::string& line)
{
    line.clear();
    if (!from_child_) {
        return false;
    }
    int c;
    while ((c = std::fgetc(from_child_)) != EOF) {
        if (c == '\n') {
            return true;
        }
        line += static_cast<char>(c);
    }
    return !line.empty();
}

void SimProcess::send(const std::string& text)
{
    if (to_child_) {
        std::fputs(text.c_str(), to_child_);
        std::fflush(to_child_);
    }
}

void SimProcess::close_input()
{
    if (to_child_) {
        std::fclose(to_child_);
        to_child_ = nullptr;
    }
}

int SimProcess::finish()
{
    close_input();
    if (from_child_) {
        std::string rest;
        while (read_line(rest)) {
        }
        std::fclose(from_child_);
        from_child_ = nullptr;
    }
    if (pid_ <= 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
