// Running valkron-sim from the tests: a scratch copy of the generated game
// directory, whole runs with their exit code, output and JSON Lines trace,
// and a live process steered line by line through its standard input and
// output.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

#include "json.h"
#include "scratch_dir.h"

// valkron-sim's path in this build; null when the build has none.
const char* sim_program();

// Whether the file at path is the game's settings file or its temporary
// (by its last name, in any letter case).
bool is_settings_file(const std::string& path);

struct SimResult {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// A copy of the build's game directory to run the game in, without any
// settings file a run in the build may have left (the tests start from the
// defaults), and a second directory for what the tests write beside it.
struct GameCopy {
    GameCopy();
    ScratchDir game;
    ScratchDir work;
    // Runs valkron-sim in the game copy with these arguments (each quoted
    // for the shell) and standard input from the given text.
    SimResult run(const std::vector<std::string>& args, const std::string& input = "") const;
    // Runs with --trace into the work directory and returns the trace; a
    // line that is not JSON becomes a string "not JSON: ...".
    std::vector<Json> trace(const std::vector<std::string>& args, SimResult* result = nullptr,
                            const std::string& input = "") const;
    // Writes a key script into the work directory; its path.
    std::string keys(const std::string& script) const;
    std::string path(const std::string& name) const { return work.file(name); }
};

// valkron-sim as a child process: its standard input for key lines, its
// standard output for the trace, both line by line.
class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts valkron-sim with args in dir. False when it cannot be started.
    bool start(const std::string& dir, const std::vector<std::string>& args);
    // The next line of its output without the line end; false at its end.
    bool read_line(std::string& line);
    // Sends text to its input (ignored once the input is closed).
    void send(const std::string& text);
    void close_input();
    // Closes its input, reads what is left of its output and waits for the
    // end; the exit code, or -1 when it did not exit normally.
    int finish();

private:
    pid_t pid_ = -1;
    FILE* to_child_ = nullptr;
    FILE* from_child_ = nullptr;
};
