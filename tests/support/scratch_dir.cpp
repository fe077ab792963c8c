#include "scratch_dir.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

[[noreturn]] void fail(const std::string& what)
{
    std::perror(what.c_str());
    std::abort();
}

}  // namespace

ScratchDir::ScratchDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "valkron-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) fail("mkdtemp");
    path_ = pattern;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    if (!write_file(file(name), bytes)) fail(file(name));
    return file(name);
}

std::string ScratchDir::write(const std::string& name, const std::string& text) const
{
    return write(name, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string ScratchDir::make_dir(const std::string& name) const
{
    std::filesystem::create_directories(file(name));
    return file(name);
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& dir)
    : previous_(std::filesystem::current_path().string())
{
    if (chdir(dir.c_str()) != 0) fail(dir);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory()
{
    if (chdir(previous_.c_str()) != 0) fail(previous_);
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::vector<uint8_t> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string read_text_file(const std::string& path)
{
    const std::vector<uint8_t> bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}
