// The computer pilot: flies either aeroplane, at three strengths, through
// the same seven held-key flags a player's keys set. Once per match frame,
// before the frame's own steps, it looks at what a player could see (its
// own aeroplane, the opponent's position and heading) as it was a reaction
// time ago, and decides which keys to hold; it taps and holds them as a
// player does, not a change every frame. It knows which aeroplane it flies:
// player 1 is tested against a shot only at the end of each frame, so in
// that seat it fires only shots that would count there, and in player 2's
// seat it shoots from such a distance. It never draws from the game's
// random generator; its own small generator is seeded from the aeroplanes'
// starting places, so a match seed gives the same game.
#pragma once

#include <cstdint>

enum : int32_t {
    pilot_human,
    pilot_rookie,
    pilot_veteran,
    pilot_ace,
    pilot_kind_count,
};

// "Human", "Rookie", "Veteran", "Ace": shown in the menu, written to the
// settings file, and the name of a computer pilot nobody has named.
extern const char pilot_names[pilot_kind_count][8];

// Who flies each aeroplane (index 0 is player 1); pilot_human at start.
extern int32_t pilot_kind[2];

// The kind named by text (any letter case), or -1.
int32_t pilot_from_name(const char* text);
// The next kind in the order Human, Rookie, Veteran, Ace, Human...; the
// choice goes to the settings file's "Pilot.0" / "Pilot.1" line.
void cycle_pilot(int32_t player);
// pilot_kind from the settings' "Pilot.0" and "Pilot.1" lines; a missing
// or unknown value is a human.
void read_pilot_settings();

// The name shown for a player: the typed name, or for a computer pilot whose
// name is still the default ("Player 1", "Player 2") its strength's name.
const char* shown_player_name(int32_t player);

// Called by New game once both aeroplanes are placed: forgets the last
// match and seeds each pilot's own generator from the starting places.
void start_pilots();
// Sets controls[p] for every computer-flown player p. Called first in
// match_frame; a human's flags are left alone.
void pilots_fly();
