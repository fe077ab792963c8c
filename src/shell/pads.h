// Gamepads in the game: which pad flies which player, what a pad holds of
// its player's controls, and the menu on a pad.
//
// In a match a pad holds its player's controls as his keys do: the left
// stick and the d-pad turn and pitch (stick back raises the nose, the
// flight stick's way, unless the player inverts it), the right trigger
// accelerates, the left trigger brakes, A and the right shoulder fire; a
// stick or trigger past the dead zone holds its control. Back leaves the
// match as Escape does. On the other screens the d-pad and the left stick
// are the arrow keys, A and Start are Enter, B and Back are Escape.
//
// The first pad plugged flies player 1 and the next player 2 (LonePad=2
// turns the order round); a pad keeps its player until it is unplugged,
// which lets go of everything it held, and a pad that flies nobody then
// takes the free player.
#pragma once

#include <cstdint>

#include "platform/pads.h"
#include "shell/keyboard.h"

// A stick or trigger counts as held past this value (of 32767).
constexpr int32_t pad_dead_zone = 8000;

// A pad input still held after a clearing of the controls (New game, a
// round's start, each frame of a frag sequence) counts again once it has
// been held this many frames, as a held key comes back with the keyboard's
// repeat (about half a second).
constexpr int32_t pad_repeat_delay = 15;

// The number of the pad flying player 0 or 1; 0 for none.
int32_t player_pad(int32_t player);

// One pad message from the player's own pads (WM_PADDOWN, WM_PADUP, WM_PADAXIS, WM_PADPLUG,
// WM_PADUNPLUG). Returns the key the pad pressed for the screens (Enter,
// Escape or an arrow; in a match only Escape), or 0.
uint32_t pad_message(uint32_t message, uintptr_t wparam, intptr_t lparam);

// Once per timer tick, before the frame.
void pads_tick();

// No pad plugged, the lone pad to player 1, no inverted stick.
void reset_pads();

// The pads as a match begins, for its replay: which are plugged, the player
// each flies, what each holds and for how many ticks it has held each
// control (up to pad_repeat_delay), and the pad settings.
struct PadsAtStart {
    struct Pad {
        int32_t plugged;
        int32_t player;  // 0, 1, or -1: flies nobody
        uint32_t buttons;  // bit per button
        int32_t axes[pad_axis_count];
        int32_t ages[control_count];
    } pads[pad_max];
    int32_t lone_player;  // the player a lone pad flies
    int32_t inverted[2];
};
void pads_at_start(PadsAtStart& out);

// While a replay plays, its pads fly the match in place of the player's own
// (which are still followed, but hold no controls, and come back after):
// begin_replay_pads sets them up as the replay's match began,
// replay_pad_message gives them the replay's pad messages, end_replay_pads
// lets them go. player_pad tells the replay's pads meanwhile.
void begin_replay_pads(const PadsAtStart& start);
void replay_pad_message(uint32_t message, uintptr_t wparam, intptr_t lparam);
void end_replay_pads();
// In a match between two machines the player's own pads fly his seat
// through the exchange of held controls, never directly: from
// begin_network_pads to end_replay_pads they press no controls (no pad
// flies the match here), and network_pad_holds tells the controls they
// hold together (bit n: control n), whichever player each would fly.
void begin_network_pads();
uint32_t network_pad_holds();

// The settings lines "LonePad=" (1 or 2: the player a lone pad flies),
// "PadInvert.0=" and "PadInvert.1=" (1: stick forward raises that
// player's nose). A bad value is refused with one line on standard error
// and the default serves.
void read_pad_settings();
