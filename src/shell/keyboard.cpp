#include "shell/keyboard.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/keys.h"
#include "shell/key_names.h"
#include "shell/settings.h"

PlayerControls controls[2];

namespace {

constexpr std::array<KeyLayout, 2> default_layouts = {{
    {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_INSERT, VK_DELETE, VK_HOME},
    {'W', 'S', 'A', 'D', '1', '2', '3'},
}};

constexpr int32_t PlayerControls::* control_fields[control_count] = {
    &PlayerControls::pitch_up,   &PlayerControls::pitch_down, &PlayerControls::turn_left, &PlayerControls::turn_right,
    &PlayerControls::accelerate, &PlayerControls::brake,      &PlayerControls::fire,
};

// What the keys and the pads hold; controls is the two together.
PlayerControls key_holds[2];
PlayerControls pad_holds[2];

bool valid_player_control(int32_t player, int32_t control)
{
    return player >= 0 && player < 2 && control >= 0 && control < control_count;
}

void set_key(uint32_t key, int32_t held)
{
    for (int32_t player = 0; player < 2; ++player) {
        for (int32_t control = 0; control < control_count; ++control) {
            if (key_layout[player][control] == key) {
                control_flag(key_holds[player], control) = held;
                control_flag(controls[player], control) = held | control_flag(pad_holds[player], control);
            }
        }
    }
}

}  // namespace

std::array<KeyLayout, 2> key_layout = default_layouts;

int32_t& control_flag(PlayerControls& player, int32_t control)
{
    return player.*control_fields[control];
}

void key_down(uint32_t key)
{
    set_key(key, 1);
}

void key_up(uint32_t key)
{
    set_key(key, 0);
}

void clear_controls()
{
    for (int32_t player = 0; player < 2; ++player) {
        controls[player] = key_holds[player] = pad_holds[player] = PlayerControls{};
    }
}

void pad_control(int32_t player, int32_t control, int32_t held)
{
    if (!valid_player_control(player, control)) {
        return;
    }
    control_flag(pad_holds[player], control) = held;
    control_flag(controls[player], control) = held | control_flag(key_holds[player], control);
}

int32_t pad_control_held(int32_t player, int32_t control)
{
    return valid_player_control(player, control) ? control_flag(pad_holds[player], control) : 0;
}

void reset_key_layouts()
{
    key_layout = default_layouts;
}

namespace {

// One "Keys.N" value: the keys and the names they were given by. Empty on
// success, else why the line is refused.
std::string parse_layout(const char* text, KeyLayout& layout, std::string (&names)[control_count])
{
    int32_t count = 0;
    const char* p = text;
    for (;;) {
        while (*p == ' ' || *p == '\t' || *p == '\r') {
            ++p;
        }
        const char* start = p;
        while (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\r') {
            ++p;
        }
        if (p == start) {
            break;
        }
        const std::string name(start, p);
        if (count == control_count) {
            return "more than seven keys";
        }
        uint32_t key = 0;
        if (!parse_key_name(name.c_str(), key) || key == 0) {
            return "unknown key \"" + name + "\"";
        }
        if (key == VK_ESCAPE) {
            return "Escape leaves the match";
        }
        for (int32_t i = 0; i < count; ++i) {
            if (layout[i] == key) {
                return "\"" + name + "\" is given twice";
            }
        }
        layout[count] = key;
        names[count++] = name;
    }
    if (count < control_count) {
        return "fewer than seven keys";
    }
    return "";
}

const char* layout_option(int32_t player)
{
    return player == 0 ? "Keys.0" : "Keys.1";
}

void refuse(int32_t player, const std::string& why)
{
    std::fprintf(stderr, "valkron: %s=%s refused (%s): player %d flies on the default keys\n", layout_option(player),
                 settings_option(layout_option(player)), why.c_str(), player + 1);
    key_layout[player] = default_layouts[player];
}

}  // namespace

void read_key_settings()
{
    reset_key_layouts();
    std::string names[2][control_count];
    bool given[2] = {false, false};
    for (int32_t player = 0; player < 2; ++player) {
        const char* text = settings_option(layout_option(player));
        if (!text) {
            continue;
        }
        KeyLayout layout{};
        const std::string why = parse_layout(text, layout, names[player]);
        if (why.empty()) {
            key_layout[player] = layout;
            given[player] = true;
        } else {
            refuse(player, why);
        }
    }
    // The two players share no key: player 2's line gives way first.
    for (int32_t player = 1; player >= 0; --player) {
        if (!given[player]) {
            continue;
        }
        for (int32_t control = 0; control < control_count; ++control) {
            const uint32_t key = key_layout[player][control];
            const KeyLayout& other = key_layout[1 - player];
            if (std::find(other.begin(), other.end(), key) != other.end()) {
                refuse(player, "\"" + names[player][control] + "\" is one of player " + std::to_string(2 - player) +
                                   "'s keys");
                break;
            }
        }
    }
}
