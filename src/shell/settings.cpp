#include "shell/settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "assets/files.h"
#include "shell/startup.h"
#include "shell/text_lines.h"

namespace {

constexpr int settings_line_size = 380;  // at most 379 characters a read

// A decimal integer as the runtime's %d reads it: leading blanks, an
// optional sign, digits up to the first other character. False when there
// are no digits (the setting then keeps its value). Values beyond the
// 32-bit range are held at its ends.
bool parse_decimal(const char* text, int32_t& out)
{
    const char* p = text;
    while (*p != '\0' && std::isspace(static_cast<unsigned char>(*p))) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (!std::isdigit(static_cast<unsigned char>(*p))) {
        return false;
    }
    int64_t value = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        if (value <= INT64_C(1) << 32) {
            value = value * 10 + (*p - '0');
        }
        ++p;
    }
    if (negative) {
        value = -value;
    }
    if (value > INT32_MAX) {
        value = INT32_MAX;
    } else if (value < INT32_MIN) {
        value = INT32_MIN;
    }
    out = static_cast<int32_t>(value);
    return true;
}

// Plane lines: an index outside 0 to 5, or no digits, reads as 0.
void set_plane(int32_t player, const char* value)
{
    int32_t index = 0;
    if (!parse_decimal(value, index) || index < 0 || index >= plane_count) {
        index = 0;
    }
    plane_index[player] = index;
    std::memcpy(plane_name[player], plane_names[index], sizeof plane_names[index]);
    plane_name[player][sizeof plane_name[player] - 1] = '\0';
}

// Name lines: the value less its last character (the line end), cut to the
// 31 characters a name holds.
void set_name(int32_t player, const char* value)
{
    size_t length = std::strlen(value);
    if (length > 0) {
        --length;
    }
    const size_t limit = sizeof player_name[player] - 1;
    if (length > limit) {
        length = limit;
    }
    std::memcpy(player_name[player], value, length);
    player_name[player][length] = '\0';
}

// A settings file name inside settings_folder (unchanged when the settings
// live in the working directory).
std::string in_settings_folder(const char* name)
{
    return settings_folder.empty() ? std::string(name) : settings_folder + "/" + name;
}

// The file the settings live in: the existing "settings.ini" in any letter
// case, so that the reader finds what the writer wrote; a new file is
// created as "Settings.ini" in the working directory and as "settings.ini"
// in a folder of its own.
std::string settings_path()
{
    const std::string existing = in_settings_folder("settings.ini");
    if (std::FILE* file = open_game_file(existing.c_str(), "r")) {
        std::fclose(file);
        return resolve_game_path(existing.c_str());
    }
    const std::string created = in_settings_folder(settings_folder.empty() ? "Settings.ini" : "settings.ini");
    return resolve_game_path(created.c_str());
}

// Creates settings_folder and the folders above it that are missing, only
// the user's to enter (a configuration folder's usual rights). Folders that
// exist stay as they are; a failure shows when the file cannot be created.
void make_settings_folder()
{
    size_t end = 0;
    do {
        end = settings_folder.find('/', end + 1);
        mkdir(settings_folder.substr(0, end).c_str(), 0700);
    } while (end != std::string::npos);
}

}  // namespace

std::string settings_folder;

void read_settings()
{
    std::FILE* file = open_game_file(in_settings_folder("settings.ini").c_str(), "r");
    if (!file) {
        return;
    }
    char line[settings_line_size];
    for (int32_t n = 0; n < 7; ++n) {
        if (!read_text_piece(file, line, settings_line_size)) {
            break;
        }
        const char* equals = std::strchr(line, '=');
        if (!equals) {
            break;
        }
        const char* value = equals + 1;
        switch (n) {
        case 0:
            parse_decimal(value, res_x);
            break;
        case 1:
            parse_decimal(value, res_y);
            resolution_index = resolution_index_for_height(res_y);
            break;
        case 2:
            parse_decimal(value, frag_limit);
            break;
        case 3:
        case 4:
            set_plane(n - 3, value);
            break;
        default:
            set_name(n - 5, value);
            break;
        }
    }
    std::fclose(file);
}

void write_settings()
{
    // The new contents go to a file beside the settings, which then replaces
    // them in one step: a crash or a full disk never leaves a damaged file.
    if (!settings_folder.empty()) {
        make_settings_folder();
    }
    const std::string path = settings_path();
    const std::string temporary = path + ".tmp";
    std::FILE* file = open_game_file(temporary.c_str(), "w");
    if (!file) {
        return;
    }
    bool ok = std::fprintf(file, "ResX=%d\nResY=%d\nLimit=%d\nPlane.0=%d\nPlane.1=%d\nName.0=%s\nName.1=%s\n",
                           res_x, res_y, frag_limit, plane_index[0], plane_index[1],
                           player_name[0], player_name[1]) > 0;
    ok = std::fflush(file) == 0 && ok;
    ok = fsync(fileno(file)) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
    }
}
