#include "scratch_dir.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

ScratchDir::ScratchDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "valkron-test-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data())) {
        path_ = made;
    } else {
        std::perror("mkdtemp");
        std::abort();
    }
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    const std::string path = file(name);
    if (!write_file(path, bytes)) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}

std::string ScratchDir::write(const std::string& name, const std::string& text) const
{
    return write(name, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string ScratchDir::make_dir(const std::string& name) const
{
    const std::string path = file(name);
    std::filesystem::create_directories(path);
    return path;
}

std::string ScratchDir::read_text(const std::string& name) const
{
    return read_text_file(file(name));
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& dir)
    : previous_(std::filesystem::current_path().string())
{
    if (chdir(dir.c_str()) != 0) {
        std::perror(dir.c_str());
        std::abort();
    }
}

ScopedWorkingDirectory::~ScopedWorkingDirectory()
{
    if (chdir(previous_.c_str()) != 0) {
        std::perror(previous_.c_str());
        std::abort();
    }
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        return false;
    }
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<uint8_t> read_file(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        return bytes;
    }
    unsigned char block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, f)) > 0) {
        bytes.insert(bytes.end(), block, block + got);
    }
    std::fclose(f);
    return bytes;
}

std::string read_text_file(const std::string& path)
{
    const std::vector<uint8_t> bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}
