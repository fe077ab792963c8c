#include "sim_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

SimProcess::~SimProcess()
{
    if (pid_ > 0) {
        close_input();
        finish();
    }
}

bool SimProcess::start(const std::string& program, const std::vector<std::string>& args,
                       const std::string& dir)
{
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
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
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
