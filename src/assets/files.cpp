#include "assets/files.h"

#include <dirent.h>
#include <strings.h>

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
