// valkron-sim as a child process: its standard input for key lines, its
// standard output for the trace, both line by line.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts program with args in dir. False when it cannot be started.
    bool start(const std::string& program, const std::vector<std::string>& args,
               const std::string& dir);
    // The next line of its output without the line end; false at its end.
    bool read_line(std::string& line);
    // Sends text to its input (ignored once the input is closed).
    void send(const std::string& text);
    void close_input();
    // Waits for the end; the exit code, or -1 when it did not exit normally.
    int finish();

private:
    pid_t pid_ = -1;
    FILE* to_child_ = nullptr;
    FILE* from_child_ = nullptr;
};
