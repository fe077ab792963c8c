// Running valkron-sim from the tests: a scratch copy of the generated game
// directory, the process with its exit code and output, its JSON Lines
// trace and its PNG frames.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "scratch_dir.h"

// A JSON value, as far as the trace needs one.
struct Json {
    enum Kind { null, boolean, number, string, array, object } kind = null;
    bool flag = false;
    double value = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    const Json& operator[](const std::string& name) const;
    const Json& operator[](size_t index) const { return items.at(index); }
    int64_t integer() const { return static_cast<int64_t>(value); }
    bool has(const std::string& name) const { return fields.count(name) != 0; }
};

// Parses one JSON text; false when it is not valid JSON.
bool parse_json(const std::string& text, Json& out);

struct SimResult {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// A copy of the build's game directory to run the game in, and a second
// directory for what the tests write beside it.
struct GameCopy {
    GameCopy();
    ScratchDir game;
    ScratchDir work;
    // Runs valkron-sim in the game copy with these arguments (each quoted
    // for the shell) and standard input from the given text.
    SimResult run(const std::vector<std::string>& args, const std::string& input = "") const;
    // Runs with --trace into the work directory and returns the trace.
    std::vector<Json> trace(const std::vector<std::string>& args, SimResult* result = nullptr,
                            const std::string& input = "") const;
    // Writes a key script into the work directory; its path.
    std::string keys(const std::string& script) const;
    std::string path(const std::string& name) const { return work.file(name); }
};

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    uint32_t at(int32_t x, int32_t y) const { return pixels.at(static_cast<size_t>(y) * width + x); }
};

// Reads an 8-bit RGB PNG; false when it cannot.
bool read_png(const std::string& path, Picture& out);

// The trace's frame hash: 64-bit FNV-1a over the pixels as little-endian
// 32-bit words, 16 hex digits.
std::string frame_hash(const std::vector<uint32_t>& pixels);

// valkron-sim with pipes to its standard input and output, for steering the
// game tick by tick.
class SimProcess {
public:
    SimProcess(const std::string& dir, const std::vector<std::string>& args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    void send(const std::string& lines);
    void close_input();
    // The next line of its standard output; false at its end.
    bool read_line(std::string& line);
    // Waits for the end; the exit code.
    int wait();

private:
    int pid_ = -1;
    int to_child_ = -1;
    FILE* from_child_ = nullptr;
};
