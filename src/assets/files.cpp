#include "assets/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <optional>
#include <string>

namespace {

// The entry of directory `dir` that `component` names: an exact match, else
// the first match ignoring letter case in byte order (so the choice does not
// depend on the order the directory lists its entries), else nothing.
std::optional<std::string> match_entry(const std::string& dir, const std::string& component)
{
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d) {
        return std::nullopt;
    }
    std::optional<std::string> best;
    while (const dirent* entry = readdir(d)) {
        const char* n = entry->d_name;
        if (component == n) {
            best = component;
            break;
        }
        if (strcasecmp(component.c_str(), n) == 0 && (!best || *best > n)) {
            best = n;
        }
    }
    closedir(d);
    return best;
}

// Writes the whole text at the descriptor's place and makes it reach the
// disk. False on any failure, errno set.
bool write_all(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return fsync(fd) == 0;
}

// The text goes to a file beside the target, with the target's mode
// (keep_mode), which then replaces it by a rename.
bool replace_file(const std::string& target, const std::string& text, const mode_t* keep_mode)
{
    const std::string temporary = target + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    bool ok = (!keep_mode || fchmod(fd, *keep_mode) == 0) && write_all(fd, text);
    int reason = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        reason = errno;
    }
    if (ok && std::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        reason = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        errno = reason;
    }
    return ok;
}

bool rewrite_in_place(const std::string& target, const std::string& text)
{
    const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    const bool ok = ftruncate(fd, 0) == 0 && write_all(fd, text);
    const int reason = errno;
    close(fd);
    errno = reason;
    return ok;
}

}  // namespace

std::string resolve_game_path(const char* name)
{
    std::string path(name);
    std::replace(path.begin(), path.end(), '\\', '/');
    const bool absolute = !path.empty() && path[0] == '/';

    std::string result(absolute ? "/" : "");
    bool matching = true;  // after a missing component the rest is kept as given
    size_t pos = 0;
    while (pos < path.size()) {
        size_t slash = path.find('/', pos);
        if (slash == std::string::npos) {
            slash = path.size();
        }
        std::string component(path, pos, slash - pos);
        pos = slash + 1;
        if (component.empty()) {
            continue;
        }
        if (matching && component != "." && component != "..") {
            if (auto found = match_entry(result, component)) {
                component = std::move(*found);
            } else {
                matching = false;
            }
        }
        if (!result.empty() && result.back() != '/') {
            result.push_back('/');
        }
        result.append(component);
    }
    return result;
}

FILE* open_game_file(const char* name, const char* mode)
{
    const std::string path = resolve_game_path(name);
    return std::fopen(path.c_str(), mode);
}

bool game_file_exists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

FILE* open_regular_file(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info;
    FILE* file = nullptr;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        file = fdopen(fd, "rb");
    }
    if (!file) {
        close(fd);
    }
    return file;
}

void make_folders(const std::string& folder)
{
    size_t end = 0;
    do {
        end = folder.find('/', end + 1);
        mkdir(folder.substr(0, end).c_str(), 0700);
    } while (end != std::string::npos);
}

bool save_whole_file(const std::string& path, const std::string& text)
{
    char* real = realpath(path.c_str(), nullptr);
    const std::string target = real ? real : path;
    std::free(real);
    struct stat info;
    const bool exists = stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    const mode_t mode = info.st_mode & 07777;
    bool ok = replace_file(target, text, exists ? &mode : nullptr);
    if (!ok && exists && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        ok = rewrite_in_place(target, text);
    }
    return ok;
}

std::vector<std::string> folder_entries(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        return names;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    closedir(dir);
    return names;
}
