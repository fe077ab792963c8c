// Scratch directories for tests that write files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh, empty directory under the system's temporary folder; removed with
// everything in it when the object goes out of scope.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    // The absolute path of name inside the directory ('/' separated).
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes bytes to name inside the directory (folders in name must exist).
    // Returns the file's absolute path.
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::string write(const std::string& name, const std::string& text) const;
    // Creates the folder name (and its parents) inside the directory.
    std::string make_dir(const std::string& name) const;
    // The whole of the file name inside the directory as text; empty when
    // it cannot be read.
    std::string read_text(const std::string& name) const;

private:
    std::string path_;
};

// Changes the working directory for the object's lifetime.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& dir);
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    std::string previous_;
};

// A fresh scratch directory that is the working directory for the
// object's lifetime.
struct ScratchWorkingDirectory {
    ScratchDir dir;
    ScopedWorkingDirectory cwd{dir.path()};
};

// Writes bytes to path (replacing the file); false when it cannot be written.
bool write_file(const std::string& path, const std::vector<uint8_t>& bytes);
// The whole file; empty when it cannot be read.
std::vector<uint8_t> read_file(const std::string& path);
std::string read_text_file(const std::string& path);
