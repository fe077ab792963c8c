// The held-key flags of both players, and the keys each player flies on.
//
// A flag is held while the player's key or his pad holds it: the keyboard
// and the pad keep their own holds, so letting go of one leaves what the
// other holds. The clearings of the match (New game, a round's start, every
// frame of a frag sequence) clear both.
#pragma once

#include <array>
#include <cstdint>

struct PlayerControls {
    int32_t accelerate;
    int32_t brake;
    int32_t turn_left;
    int32_t turn_right;
    int32_t pitch_up;
    int32_t pitch_down;
    int32_t fire;
};

extern PlayerControls controls[2];

// The seven controls in the order of a key layout.
enum : int32_t {
    control_up,  // pitch_up
    control_down,
    control_left,  // turn_left
    control_right,
    control_accelerate,
    control_brake,
    control_fire,
    control_count,
};

// The flag of one control in a player's record.
int32_t& control_flag(PlayerControls& player, int32_t control);

// Each player's keys in layout order: by default Up Down Left Right Insert
// Delete Home and W S A D 1 2 3.
using KeyLayout = std::array<uint32_t, control_count>;
extern std::array<KeyLayout, 2> key_layout;

void key_down(uint32_t key);
void key_up(uint32_t key);
// All fourteen flags to 0, what the keys and the pads hold alike.
void clear_controls();

// What a player's pad holds of one control: held (1) or let go (0); and
// whether it holds it now.
void pad_control(int32_t player, int32_t control, int32_t held);
int32_t pad_control_held(int32_t player, int32_t control);

// Both players on the default keys.
void reset_key_layouts();
// The settings lines "Keys.0=" and "Keys.1=": seven key names each, in
// layout order. A line with an unknown name, too few or too many names, a
// key given twice, Escape (which always leaves the match) or a key of the
// other player is refused, with one line on standard error, and that
// player keeps his default keys. Where the two lines take a key in common,
// player 2's line gives way first.
void read_key_settings();
