// Running valkron-sim from the tests: a scratch copy of the generated game
// directory, whole runs with their exit code, output and trace.
#pragma once

#include <string>
#include <vector>

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
    // Runs valkron-sim in the game copy with these arguments and standard
    // input from the given text.
    SimResult run(const std::vector<std::string>& args, const std::string& input = "") const;
    // Runs with --trace into the work directory; the trace's text.
    std::string trace(const std::vector<std::string>& args, SimResult* result = nullptr) const;
    // Writes a key script into the work directory; its path.
    std::string keys(const std::string& script) const;
    std::string path(const std::string& name) const { return work.file(name); }
};

// A field of one trace line as text, quotes left out: "mode", "sounds"
// ("[2,3]"), or a player's with "p0." or "p1." in front ("p1.energy").
std::string trace_field(const std::string& line, const std::string& name);
