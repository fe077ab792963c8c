#include "shell/settings.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "assets/files.h"
#include "shell/text_lines.h"

const int32_t resolution_widths[resolution_count] = {400, 512, 640, 640, 800, 1024};
const int32_t resolution_heights[resolution_count] = {300, 384, 400, 480, 600, 768};

const char plane_names[plane_count][12] = {
    "Happy", "Goliash 215", "Titan Hs", "Lizard 372", "Lizard 486", "Needle",
};

int32_t res_x = 400;
int32_t res_y = 300;
int32_t frag_limit = 10;
int32_t resolution_index = 0;
int32_t plane_index[2] = {0, 0};
char plane_name[2][16] = {"Happy", "Happy"};
char player_name[2][32] = {"Player 1", "Player 2"};

std::string settings_folder;

namespace {

constexpr int settings_line_size = 380;  // at most 379 characters a read

// The seven lines, in file order: what each holds and how it is written.
enum class Field { number, plane, name };
struct SettingLine {
    const char* key;
    Field field;
    int32_t* number;  // number and plane lines
    int32_t player;   // plane and name lines
};
const SettingLine setting_lines[7] = {
    {"ResX", Field::number, &res_x, 0},
    {"ResY", Field::number, &res_y, 0},
    {"Limit", Field::number, &frag_limit, 0},
    {"Plane.0", Field::plane, &plane_index[0], 0},
    {"Plane.1", Field::plane, &plane_index[1], 1},
    {"Name.0", Field::name, nullptr, 0},
    {"Name.1", Field::name, nullptr, 1},
};

// Options after the seven lines, in the order first met.
std::vector<std::pair<std::string, std::string>> options;

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
    const std::string existing = resolve_game_path(in_settings_folder("settings.ini").c_str());
    if (game_file_exists(existing)) {
        return existing;
    }
    const std::string created = in_settings_folder(settings_folder.empty() ? "Settings.ini" : "settings.ini");
    return resolve_game_path(created.c_str());
}

// The settings file's text: the seven lines, then the options.
std::string settings_text()
{
    std::string text;
    char line[settings_line_size + 64];
    for (const SettingLine& setting : setting_lines) {
        if (setting.field == Field::name) {
            std::snprintf(line, sizeof line, "%s=%s\n", setting.key, player_name[setting.player]);
        } else {
            std::snprintf(line, sizeof line, "%s=%d\n", setting.key, *setting.number);
        }
        text += line;
    }
    for (const auto& option : options) {
        text += option.first + "=" + option.second + "\n";
    }
    return text;
}

}  // namespace

int32_t resolution_index_for_height(int32_t height)
{
    for (int32_t i = 0; i < resolution_count; ++i) {
        if (resolution_heights[i] == height) {
            return i;
        }
    }
    return 0;
}

void reset_settings()
{
    res_x = 400;
    res_y = 300;
    frag_limit = 10;
    resolution_index = resolution_index_for_height(res_y);
    for (int32_t player = 0; player < 2; ++player) {
        plane_index[player] = 0;
        std::strcpy(plane_name[player], plane_names[0]);
        std::snprintf(player_name[player], sizeof player_name[player], "Player %d", player + 1);
    }
    options.clear();
}

const char* settings_option(const char* key)
{
    for (const auto& option : options) {
        if (option.first == key) {
            return option.second.c_str();
        }
    }
    return nullptr;
}

void set_settings_option(const char* key, const std::string& value)
{
    for (auto& option : options) {
        if (option.first == key) {
            option.second = value;
            return;
        }
    }
    options.emplace_back(key, value);
}

void read_settings()
{
    // Only a regular file is read: a FIFO, a device or a folder of that name
    // gives the defaults at once.
    std::FILE* file = open_regular_file(resolve_game_path(in_settings_folder("settings.ini").c_str()));
    if (!file) {
        return;
    }
    char line[settings_line_size];
    int32_t n = 0;
    for (; n < 7; ++n) {
        if (!read_text_piece(file, line, settings_line_size)) {
            break;
        }
        const char* equals = std::strchr(line, '=');
        if (!equals) {
            break;
        }
        const char* value = equals + 1;
        const SettingLine& setting = setting_lines[n];
        switch (setting.field) {
        case Field::number:
            parse_decimal(value, *setting.number);
            break;
        case Field::plane:
            set_plane(setting.player, value);
            break;
        case Field::name:
            set_name(setting.player, value);
            break;
        }
    }
    if (n >= 2) {
        resolution_index = resolution_index_for_height(res_y);
    }
    // Our own options: whole lines "Key=Value" after the seventh.
    bool line_start = true;
    while (n == 7 && read_text_piece(file, line, settings_line_size)) {
        const size_t length = std::strlen(line);
        const bool line_end = length > 0 && line[length - 1] == '\n';
        const char* equals = std::strchr(line, '=');
        if (line_start && equals && equals != line) {
            const std::string key(line, static_cast<size_t>(equals - line));
            const char* value = equals + 1;
            const char* value_end = line + length - (line_end ? 1 : 0);
            if (!settings_option(key.c_str())) {
                options.emplace_back(key, std::string(value, static_cast<size_t>(value_end - value)));
            }
        }
        line_start = line_end;
    }
    std::fclose(file);
}

void write_settings()
{
    if (!settings_folder.empty()) {
        make_folders(settings_folder);
    }
    const std::string path = settings_path();
    if (!save_whole_file(path, settings_text())) {
        std::fprintf(stderr, "valkron: settings not saved: %s: %s\n", path.c_str(), std::strerror(errno));
    }
}
