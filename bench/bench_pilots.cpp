// The computer pilots, measured in seeded headless matches.
//
//   bench_pilots [SEEDS]
//
// Every match runs the game's own match_frame on a 400 x 300 screen, with
// the pilots acting through the held-key flags as in the game. Nothing is
// drawn (no aeroplane or shot models are loaded, no font, no depth buffer),
// which skips only pictures: hits, deaths, frags, the frag sequence (its
// noise still draws from the game's generator) and the rounds are the
// game's. SEEDS (default 100) matches per line of each table.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/aircraft.h"
#include "game/match.h"
#include "game/pilot.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/headless.h"
#include "shell/keyboard.h"
#include "shell/settings.h"
#include "shell/window_proc.h"

namespace {

constexpr double seconds_per_frame = 0.033;
constexpr int64_t minute = 1818;  // frames in 60 s of game time
constexpr int32_t straight_speed = 25;

struct Result {
    int32_t winner = 0;            // 1 or 2; 0 when the time ran out
    int64_t frames = 0;
    int64_t first_frag = -1;       // frame of the first frag award
    int64_t key_changes[2] = {0, 0};
};

// New game as the menu starts it, without the aeroplane models.
void start_match(uint32_t seed, int32_t first, int32_t second, int32_t limit)
{
    reset_aircraft();
    reset_weapons();
    clear_controls();
    reset_modes();
    headless_set_clock(seed);
    generate_star_field();  // seeds the game's generator as start-up does
    for (Aircraft& a : aircraft) {
        a.energy = 100;
    }
    place_aircraft_for_new_game();
    frag_limit = limit;
    pilot_kind[0] = first;
    pilot_kind[1] = second;
    start_pilots();
    match_active = 1;
}

// A human who flies straight on at a steady 25 units a frame: holds
// accelerate whenever he is slower.
void fly_straight(int32_t player)
{
    controls[player] = PlayerControls{};
    controls[player].accelerate = aircraft[player].speed < static_cast<float>(straight_speed);
}

int32_t changed_keys(const PlayerControls& a, const PlayerControls& b)
{
    return (a.accelerate != b.accelerate) + (a.brake != b.brake) + (a.turn_left != b.turn_left) +
           (a.turn_right != b.turn_right) + (a.pitch_up != b.pitch_up) +
           (a.pitch_down != b.pitch_down) + (a.fire != b.fire);
}

Result play(uint32_t seed, int32_t first, int32_t second, int32_t limit, int64_t max_frames)
{
    start_match(seed, first, second, limit);
    Result result;
    PlayerControls last[2] = {};
    while (match_active == 1 && result.frames < max_frames) {
        for (int32_t p = 0; p < 2; ++p) {
            if (pilot_kind[p] == pilot_human) {
                fly_straight(p);
            }
        }
        match_frame();
        result.frames += 1;
        for (int32_t p = 0; p < 2; ++p) {
            result.key_changes[p] += changed_keys(controls[p], last[p]);
            last[p] = controls[p];
        }
        if (result.first_frag < 0 && aircraft[0].frags + aircraft[1].frags > 0) {
            result.first_frag = result.frames;
        }
    }
    result.winner = match_active == 1 ? 0 : match_winner;
    return result;
}

double median(std::vector<double> v)
{
    if (v.empty()) {
        return 0.0;
    }
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Tally {
    int32_t played = 0;
    int32_t won = 0;
    int32_t undecided = 0;
    std::vector<double> seconds;
    int64_t key_changes = 0;
    int64_t frames = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    const int32_t seeds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    headless_reset();
    allocate_shot_list();
    matrix_identity(base_matrix);
    res_x = 400;
    res_y = 300;
    view_buffer = static_cast<uint32_t*>(std::calloc(static_cast<size_t>(res_x / 2) * res_y, 4));
    const int32_t strengths[] = {pilot_rookie, pilot_veteran, pilot_ace};

    std::printf("Computer pilots, %d seeded headless matches a line (game time, 33 ms a frame)\n\n",
                seeds);

    // Against a straight flyer, from either seat (alternating by seed).
    std::printf("Against a target flying straight at %d units a frame (first frag):\n", straight_speed);
    std::printf("| pilot | median s | within 60 s | key changes / s |\n|---|---:|---:|---:|\n");
    for (int32_t kind : strengths) {
        std::vector<double> times;
        int32_t within = 0;
        int64_t changes = 0, frames = 0;
        for (int32_t s = 0; s < seeds; ++s) {
            const uint32_t seed = 1000u + static_cast<uint32_t>(s);
            const int32_t seat = s % 2;
            const Result r = play(seed, seat == 0 ? kind : pilot_human, seat == 1 ? kind : pilot_human, 1,
                                  2 * minute);
            const double t = r.first_frag < 0 ? 1e9 : static_cast<double>(r.first_frag) * seconds_per_frame;
            times.push_back(t);
            within += r.first_frag >= 0 && r.first_frag <= minute &&
                      aircraft[seat].frags > 0;
            changes += r.key_changes[seat];
            frames += r.frames;
        }
        const double m = median(times);
        std::printf("| %s | %s%.1f | %d / %d | %.1f |\n", pilot_names[kind], m >= 1e9 ? ">" : "",
                    m >= 1e9 ? 120.0 : m, within, seeds,
                    static_cast<double>(changes) / (static_cast<double>(frames) * seconds_per_frame));
    }

    // Pilot against pilot, to 3 frags, each pairing from both seats.
    std::printf("\nShare of matches to 3 frags won by the row's pilot (%d from each seat; "
                "against itself: won by player 1):\n",
                seeds);
    std::printf("| pilot | vs Rookie | vs Veteran | vs Ace | key changes / s |\n|---|---:|---:|---:|---:|\n");
    Tally tally[pilot_kind_count][pilot_kind_count];
    for (int32_t a : strengths) {
        for (int32_t b : strengths) {
            for (int32_t s = 0; s < seeds; ++s) {
                const uint32_t seed = 5000u + static_cast<uint32_t>(s);
                const Result r = play(seed, a, b, 3, 15 * minute);
                for (int32_t seat = 0; seat < 2; ++seat) {
                    const int32_t mine = seat == 0 ? a : b, theirs = seat == 0 ? b : a;
                    if (a == b && seat == 1) {
                        continue;
                    }
                    Tally& t = tally[mine][theirs];
                    t.played += 1;
                    t.won += r.winner == seat + 1;
                    t.undecided += r.winner == 0;
                    t.key_changes += r.key_changes[seat];
                    t.frames += r.frames;
                }
            }
        }
    }
    for (int32_t a : strengths) {
        std::printf("| %s |", pilot_names[a]);
        int64_t changes = 0, frames = 0;
        for (int32_t b : strengths) {
            const Tally& t = tally[a][b];
            std::printf(" %.0f %%%s |", 100.0 * t.won / std::max(1, t.played),
                        t.undecided ? " *" : "");
            changes += t.key_changes;
            frames += t.frames;
        }
        std::printf(" %.1f |\n", static_cast<double>(changes) / (static_cast<double>(frames) * seconds_per_frame));
    }

    // Whole matches to 10 frags.
    std::printf("\nMatches to 10 frags (ended within 15 minutes; median length):\n");
    std::printf("| match | within 15 min | median min |\n|---|---:|---:|\n");
    const int32_t pairings[][2] = {{pilot_rookie, pilot_rookie}, {pilot_veteran, pilot_veteran},
                                   {pilot_ace, pilot_ace}, {pilot_ace, pilot_rookie}};
    for (const auto& pair : pairings) {
        int32_t ended = 0;
        std::vector<double> minutes;
        for (int32_t s = 0; s < seeds; ++s) {
            const uint32_t seed = 9000u + static_cast<uint32_t>(s);
            const Result r = play(seed, pair[0], pair[1], 10, 20 * minute);
            ended += r.winner != 0 && r.frames <= 15 * minute;
            minutes.push_back(r.winner != 0 ? static_cast<double>(r.frames) / minute : 1e9);
        }
        const double m = median(minutes);
        std::printf("| %s - %s | %d / %d | %s%.1f |\n", pilot_names[pair[0]], pilot_names[pair[1]],
                    ended, seeds, m >= 1e9 ? ">" : "", m >= 1e9 ? 20.0 : m);
    }

    std::free(view_buffer);
    view_buffer = nullptr;
    free_shot_list();
    return 0;
}
