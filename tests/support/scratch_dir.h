// Scratch directories and whole files, for tests that write files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Whole files: false, or empty, when they cannot be written or read.
bool write_file(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> read_file(const std::string& path);
std::string read_text_file(const std::string& path);

// A fresh, empty directory under the system's temporary folder, removed
// with everything in it when the object goes out of scope.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes name inside the directory (its folders must exist); its path.
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::string write(const std::string& name, const std::string& text) const;
    // Creates the folder name and its parents; its path.
    std::string make_dir(const std::string& name) const;
    // The file name as text; empty when it cannot be read.
    std::string read_text(const std::string& name) const { return read_text_file(file(name)); }

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

// A fresh scratch directory as the working directory.
struct ScratchWorkingDirectory {
    ScratchDir dir;
    ScopedWorkingDirectory cwd{dir.path()};
};
