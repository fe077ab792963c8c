#include "sim_runner.h"

#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

std::string quoted(const std::string& word)
{
    std::string out = "'";
    for (char c : word) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
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
    std::filesystem::copy(VALKRON_GAME_DIR, game.path(), std::filesystem::copy_options::recursive, error);
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
    std::string command = "cd " + quoted(game.path()) + " && " + quoted(sim_program());
    for (const std::string& a : args) {
        command += " " + quoted(a);
    }
    command += " < " + quoted(work.write("stdin.txt", input)) + " > " + quoted(work.file("stdout.txt")) +
               " 2> " + quoted(work.file("stderr.txt"));
    const int status = std::system(command.c_str());
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = read_text_file(work.file("stdout.txt"));
    result.err = read_text_file(work.file("stderr.txt"));
    return result;
}

std::string GameCopy::trace(const std::vector<std::string>& args, SimResult* result) const
{
    std::vector<std::string> all = args;
    all.push_back("--trace");
    all.push_back(work.file("trace.jsonl"));
    std::filesystem::remove(work.file("trace.jsonl"));
    const SimResult r = run(all);
    if (result) {
        *result = r;
    }
    return read_text_file(work.file("trace.jsonl"));
}

std::string GameCopy::keys(const std::string& script) const
{
    return work.write("keys.txt", script);
}

std::string trace_field(const std::string& line, const std::string& name)
{
    size_t at = 0;
    std::string key = name;
    if (name.size() > 3 && name[0] == 'p' && name[2] == '.') {
        at = line.find("\"players\":");
        if (name[1] == '1' && at != std::string::npos) {
            at = line.find("},{", at);
        }
        key = name.substr(3);
    }
    at = at == std::string::npos ? at : line.find("\"" + key + "\":", at);
    if (at == std::string::npos) {
        return "(no " + name + ")";
    }
    at += key.size() + 3;
    const size_t end = line[at] == '[' ? line.find(']', at) + 1 : line.find_first_of(",}", at);
    std::string value = line.substr(at, end - at);
    if (value.size() >= 2 && value[0] == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}
