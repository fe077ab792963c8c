// A match between two machines in lockstep.
//
// The host is player 1, the joiner player 2. Each machine flies its own
// seat from its keyboard (either player's keys) or a computer pilot; the
// host's settings decide the frag limit and the host draws the seed; each
// brings his seat's name, plane and pilot in the handshake. Both machines
// run the same game: tick t runs when both seats' held-key flags for t are
// there, and they reach the game as the seat's own key messages, only when
// a flag changes. Each machine sends its flags `delay` ticks ahead, the
// delay following the measured round trip; every message repeats what the
// other has not acknowledged, so a lost packet costs nothing. Every tick
// both exchange a hash of the match; a difference ends the match on both.
// A peer that leaves, falls silent for 3 seconds, runs another version or
// sends bytes no message has ends it too, with one line saying why.
#pragma once

#include <cstddef>
#include <cstdint>

enum : int32_t {
    net_off,      // no network match (or it ended quietly)
    net_waiting,  // waiting for the other player and his hello
    net_playing,  // the match runs in lockstep
    net_failed,   // ended; net_status says why
};

extern int32_t net_state;
extern int32_t net_seat;         // 0 on the host, 1 on the joiner
extern char net_status[160];     // what the session waits for, or why it ended
extern char net_version[32];     // this game's version, as the handshake says it
extern uint32_t net_seed;        // the match's seed, once the handshake is done
constexpr uint16_t net_default_port = 41016;
constexpr uint32_t net_tick_ms = 33;

// Ends the intro or the menu and starts a match at once with the settings
// as they are and the given seed (stars, places and the pilots' own
// generators follow from it). False when the aeroplanes cannot be loaded.
bool start_match_now(uint32_t seed);

// "--host [PORT]" or "--join HOST[:PORT]" at argv[i]; how many arguments
// it took (0: not one of these; -1: a bad value, said on stderr).
int32_t netplay_argument(int32_t argc, char** argv, int32_t i);
// Opens the link asked for by netplay_argument (or these calls): false,
// with net_status saying why, when it cannot.
bool netplay_open_host(uint16_t port);
bool netplay_open_join(const char* host, uint16_t port);
bool netplay_open_requested();
bool netplay_requested();

// The handshake: sends this seat's hello once connected, takes the other's.
// 1 when the match can start (names, planes, pilots, frag limit and
// net_seed are set; the host's seed is host_seed), 0 while waiting, -1 on
// failure.
int32_t netplay_handshake(uint32_t wait_ms, uint32_t host_seed);

// This seat's flags (bit n = control n) from the next unfilled tick up to
// tick + delay, asked of flags_at.
void netplay_fill_local(uint64_t tick, uint8_t (*flags_at)(uint64_t tick, void* user), void* user);
// Both seats' flags for tick: 1 when both are there, 0 when the other's
// has not come within wait_ms, -1 when the match ended (net_status).
int32_t netplay_inputs(uint64_t tick, uint32_t wait_ms, uint8_t flags[2]);
// After tick ran: its hash, compared with the other's.
void netplay_tick_ran(uint64_t tick);
// The key messages that turn the flags last given into these: press
// (down, key) for each flag that changed, in the seat's own keys.
void netplay_press_keys(const uint8_t flags[2], void (*press)(int32_t down, uint32_t key));
// The flag bit of a key in either player's keys, 0 for other keys.
uint8_t netplay_key_bit(uint32_t key);
// The delay in ticks now, and the round trip it follows (ms).
int32_t netplay_delay();
uint32_t netplay_round_trip_ms();
// Ends the session: a bye with the reason (net_message.h) when the match
// runs, the link closed; net_state net_off (net_failed stays).
void netplay_close(int32_t reason);
// Restores the settings a network match replaced (limit, names, planes,
// pilots) to the player's own.
void netplay_restore_settings();

// The hash of what both machines must agree on: the aeroplanes, the shots,
// the frag sequence and the scores.
uint32_t match_state_hash();
