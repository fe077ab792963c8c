// The computer pilots, measured in seeded headless matches.
//
//   bench_pilots [SEEDS]
//
// Every match runs the game's own match_frame with the pilots acting through
// the held-key flags as in the game. Nothing is drawn (no aeroplane or shot
// models are loaded, no font, no depth buffer) and the screen is 8 x 6
// pixels, which skips only pictures: hits, deaths, frags and the rounds are
// the game's (the noise of a dead player's view still draws from the game's
// generator, fewer numbers than on a real screen). SEEDS (default 100)
// matches per line of each table.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
constexpr float straight_speed = 25.0f;
constexpr int32_t strengths[] = {pilot_rookie, pilot_veteran, pilot_ace};

struct Result {
    int32_t winner = 0;  // 1 or 2; 0 when the time ran out
    int64_t frames = 0;
    int64_t first_frag = -1;  // frame of the first frag award
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

int32_t changed_keys(const PlayerControls& a, const PlayerControls& b)
{
    return (a.accelerate != b.accelerate) + (a.brake != b.brake) + (a.turn_left != b.turn_left) +
           (a.turn_right != b.turn_right) + (a.pitch_up != b.pitch_up) +
           (a.pitch_down != b.pitch_down) + (a.fire != b.fire);
}

// A human seat flies straight on at a steady 25 units a frame: it holds
// accelerate whenever it is slower.
Result play(uint32_t seed, int32_t first, int32_t second, int32_t limit, int64_t max_frames)
{
    start_match(seed, first, second, limit);
    Result result;
    PlayerControls last[2] = {};
    while (match_active == 1 && result.frames < max_frames) {
        for (int32_t p = 0; p < 2; ++p) {
            if (pilot_kind[p] == pilot_human) {
                controls[p] = PlayerControls{};
                controls[p].accelerate = aircraft[p].speed < straight_speed;
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
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

double per_second(int64_t changes, int64_t frames)
{
    return frames > 0 ? static_cast<double>(changes) / (static_cast<double>(frames) * seconds_per_frame) : 0.0;
}

void against_straight_flyer(int32_t seeds)
{
    std::printf("Against a target flying straight at %.0f units a frame (time to the first frag; "
                "the pilot in seat 1 and 2 by turns):\n\n",
                static_cast<double>(straight_speed));
    std::printf("| pilot | median s | within 60 s |\n|---|---:|---:|\n");
    for (int32_t kind : strengths) {
        std::vector<double> times;
        int32_t within = 0;
        for (int32_t s = 0; s < seeds; ++s) {
            const int32_t seat = s % 2;
            const Result r = play(1000u + static_cast<uint32_t>(s), seat == 0 ? kind : pilot_human,
                                  seat == 1 ? kind : pilot_human, 1, 2 * minute);
            const bool fragged = r.winner == seat + 1;
            times.push_back(fragged ? static_cast<double>(r.first_frag) * seconds_per_frame : 1e9);
            within += fragged && r.first_frag <= minute;
        }
        const double m = median(times);
        std::printf("| %s | %s%.1f | %d / %d |\n", pilot_names[kind], m >= 1e9 ? ">" : "",
                    m >= 1e9 ? 120.0 : m, within, seeds);
    }
}

void shares(int32_t seeds)
{
    std::printf("\nShare of matches to 3 frags won by the row's pilot (%d matches a cell, seats "
                "swapped every other seed; against itself: the share of player 1), and its key "
                "changes per second over all these matches:\n\n",
                seeds);
    std::printf("| pilot | vs Rookie | vs Veteran | vs Ace | key changes / s |\n|---|---:|---:|---:|---:|\n");
    int32_t won[pilot_kind_count][pilot_kind_count] = {};
    int32_t undecided[pilot_kind_count][pilot_kind_count] = {};
    int64_t changes[pilot_kind_count] = {};
    int64_t frames[pilot_kind_count] = {};
    for (int32_t a : strengths) {
        for (int32_t b : strengths) {
            if (b < a) {
                continue;  // each pairing once; both rows are filled from it
            }
            for (int32_t s = 0; s < seeds; ++s) {
                const bool swap = a != b && s % 2 == 1;
                const Result r = play(5000u + static_cast<uint32_t>(s), swap ? b : a, swap ? a : b, 3,
                                      15 * minute);
                const int32_t seat_of_a = swap ? 1 : 0;
                // Against itself a pilot's row counts player 1's wins.
                won[a][b] += r.winner == seat_of_a + 1;
                undecided[a][b] += r.winner == 0;
                changes[a] += r.key_changes[seat_of_a];
                frames[a] += r.frames;
                if (a != b) {
                    won[b][a] += r.winner == 2 - seat_of_a;
                    undecided[b][a] += r.winner == 0;
                    changes[b] += r.key_changes[1 - seat_of_a];
                    frames[b] += r.frames;
                }
            }
        }
    }
    for (int32_t a : strengths) {
        std::printf("| %s |", pilot_names[a]);
        for (int32_t b : strengths) {
            std::printf(" %.0f %%%s |", 100.0 * won[a][b] / seeds, undecided[a][b] ? " *" : "");
        }
        std::printf(" %.1f |\n", per_second(changes[a], frames[a]));
    }
}

void long_matches(int32_t seeds)
{
    std::printf("\nMatches to 10 frags (ended within 15 minutes of game time; median length):\n\n");
    std::printf("| match | within 15 min | median min |\n|---|---:|---:|\n");
    for (int32_t a : strengths) {
        for (int32_t b : strengths) {
            if (b > a) {
                continue;
            }
            int32_t ended = 0;
            std::vector<double> minutes;
            for (int32_t s = 0; s < seeds; ++s) {
                const Result r = play(9000u + static_cast<uint32_t>(s), a, b, 10, 20 * minute);
                ended += r.winner != 0 && r.frames <= 15 * minute;
                minutes.push_back(r.winner != 0 ? static_cast<double>(r.frames) / minute : 1e9);
            }
            const double m = median(minutes);
            std::printf("| %s - %s | %d / %d | %s%.1f |\n", pilot_names[a], pilot_names[b], ended,
                        seeds, m >= 1e9 ? ">" : "", m >= 1e9 ? 20.0 : m);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int32_t seeds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    headless_reset();
    allocate_shot_list();
    matrix_identity(base_matrix);
    res_x = 8;
    res_y = 6;
    view_buffer = static_cast<uint32_t*>(std::calloc(static_cast<size_t>(res_x / 2) * res_y, 4));

    std::printf("Computer pilots, %d seeded headless matches a line (game time, 33 ms a frame)\n\n", seeds);
    against_straight_flyer(seeds);
    shares(seeds);
    long_matches(seeds);

    std::free(view_buffer);
    view_buffer = nullptr;
    free_shot_list();
    return 0;
}
