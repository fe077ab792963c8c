// Replays: every match the game plays, kept as the key script valkron-sim
// reads, with a header of "#" lines that say how the match began:
//
//   #!valkron-replay 1
//   #@ seed 12345             the star field's seed
//   #@ random 67890           the random generator as the match began
//   #@ screen 640x480
//   #@ frag_limit 10
//   #@ plane1 Happy           (plane2, name1, name2, pilot1, pilot2 alike;
//   #@ name1 Player 1          a name is the rest of its line)
//   #@ keys1 Up Down Left Right Insert Delete Home
//   12 down Up                TICK down|up KEY, ticks counted from the
//   40 up Up                  match's first frame (1)
//   #@ end 4567 winner        the last tick, and how the match ended
//                             (winner: its frame showed the winner;
//                             left: it was left before that tick's frame)
//
// A player can read one, a test can write one by hand, and valkron-sim
// --keys takes one as it is (the header is comments to it). Played back,
// the match starts at once with the header's settings and seed, and each
// key message reaches the match before the frame of its tick, as it did.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/keyboard.h"

// The version this game writes and reads.
constexpr int32_t replay_version = 1;

// A key or pad message of a key script at its tick.
struct ReplayEvent {
    uint64_t tick;
    uint32_t message;
    uintptr_t wparam;
    intptr_t lparam;
};

struct Replay {
    int32_t version = 0;
    uint32_t seed = 0;
    uint32_t random = 0;
    int32_t res_x = 0, res_y = 0;
    int32_t frag_limit = 0;
    int32_t planes[2] = {0, 0};     // plane_names index
    std::string names[2];
    int32_t pilots[2] = {0, 0};     // pilot kind
    KeyLayout keys[2] = {};
    uint64_t end = 0;
    bool winner = false;
    std::vector<ReplayEvent> events;  // in tick order
};

// The folder replays are saved in: "replays" (beside the settings in the
// game folder) unless main names another. Not reset by the program state.
extern std::string replay_folder;
// Whether matches are recorded and saved (the game: yes; valkron-sim: only
// when asked). Not reset by the program state.
extern bool replay_recording;
// The replay being played, or null. Set before WinMain, which then starts
// its match at once; cleared when its match ends.
extern const Replay* replay_playing;
// The frames the match being played has drawn (New game sets 0); a key
// message in the match belongs to tick match_tick + 1.
extern uint64_t match_tick;
// How many replays the folder keeps.
constexpr int32_t replays_kept = 50;

// The replay of the match being played: its header and key events.
void replay_begin(uint32_t seed);  // a match starts: header from the current settings and pilots
void replay_key(uint64_t tick, uint32_t message, uint32_t virtual_key);  // a key message the match received at that tick
// The match's end: its last tick, and whether it ended on a winner.
void replay_mark_end(uint64_t tick, bool winner);
// Writes replays/<date>-<name0>-vs-<name1>.keys in replay_folder, keeps the
// last replays_kept; false and one line on stderr on failure.
bool replay_save();
void replay_end();  // forgets the match (no file)
bool replay_recorded();  // a match is being recorded

// Reading: false with one line in why when the file is refused (another
// version, truncated, corrupt).
bool read_replay(const char* path, Replay& out, std::string& why);
bool parse_replay(const std::string& text, Replay& out, std::string& why);
// The replay as its file's text.
std::string replay_text(const Replay& replay);
// Deletes the oldest replays the game named in the folder ("YYYY-...keys",
// by name, which starts with the date) beyond keep; others stay.
void prune_replays(const std::string& folder, int32_t keep);

// One line of a key script: "TICK down|up KEY", "TICK down|up
// PadN.BUTTON", "TICK axis PadN.AXIS VALUE", "TICK plug|unplug PadN",
// "TICK go", blank or "#...".
enum class ScriptLine { empty, key, go, bad };
ScriptLine parse_script_line(const char* text, ReplayEvent& event, uint64_t& go_tick);
// Whole decimal numbers up to max.
bool parse_unsigned(const char* text, uint64_t max, uint64_t& out);

// Playback, from the window procedure. The settings and seed of the replay
// in place of the settings file's (start-up, before anything is sized).
void apply_replay_settings(const Replay& replay);
// Starts the replay's match in place of the intro (its first tick).
void start_replay_match(const Replay& replay);
// The match's tick t (its frames so far + 1): delivers that tick's events
// through deliver, then leaves the match where the replay ends.
void play_replay_tick(uint64_t tick, void (*deliver)(const ReplayEvent& event));
