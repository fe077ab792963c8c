// The computer pilot in headless matches run by the game's own match frame
// (no models: nothing is drawn, the hits and rounds are the game's).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/aircraft.h"
#include "game/match.h"
#include "game/pilot.h"
#include "game/random.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/headless.h"
#include "shell/keyboard.h"
#include "shell/settings.h"
#include "shell/window_proc.h"

namespace {

class PilotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless_reset();
        allocate_shot_list();
        matrix_identity(base_matrix);
        res_x = 400;
        res_y = 300;
        view_buffer = static_cast<uint32_t*>(std::calloc(200 * 300, 4));
    }
    void TearDown() override
    {
        std::free(view_buffer);
        view_buffer = nullptr;
        free_shot_list();
        pilot_kind[0] = pilot_kind[1] = pilot_human;
        reset_aircraft();
        reset_weapons();
        clear_controls();
        reset_modes();
        reset_settings();
    }

    // New game as the menu starts it, without models.
    void start(uint32_t seed, int32_t first, int32_t second, int32_t limit)
    {
        reset_aircraft();
        reset_weapons();
        clear_controls();
        reset_modes();
        headless_set_clock(seed);
        generate_star_field();
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

    // Frames until the match ends (or max_frames); a human seat flies
    // straight on at about 25 units a frame.
    int32_t play(int32_t max_frames)
    {
        int32_t frames = 0;
        while (match_active == 1 && frames < max_frames) {
            for (int32_t p = 0; p < 2; ++p) {
                if (pilot_kind[p] == pilot_human) {
                    controls[p] = PlayerControls{};
                    controls[p].accelerate = aircraft[p].speed < 25.0f;
                }
            }
            match_frame();
            ++frames;
        }
        return frames;
    }
};

TEST_F(PilotTest, EveryStrengthFragsAStraightFlyerWithinAMinuteFromEitherSeat)
{
    for (int32_t kind : {pilot_rookie, pilot_veteran, pilot_ace}) {
        for (uint32_t seed : {11u, 12u, 13u}) {
            for (int32_t seat = 0; seat < 2; ++seat) {
                start(seed, seat == 0 ? kind : pilot_human, seat == 1 ? kind : pilot_human, 1);
                const int32_t frames = play(1818);  // 60 s of 33 ms frames
                EXPECT_EQ(match_winner, seat + 1)
                    << pilot_names[kind] << " seed " << seed << " seat " << seat << " after " << frames;
            }
        }
    }
}

// (The same seed giving the same match is valkron-sim's SimPilot test.)
TEST_F(PilotTest, DecidingDrawsNothingFromTheGamesGeneratorAndLeavesAHumanAlone)
{
    start(78, pilot_human, pilot_veteran, 1);
    controls[0].fire = 1;
    crt_srand(4242);
    for (int32_t f = 0; f < 200; ++f) {
        pilots_fly();
    }
    const int32_t next = crt_rand();
    crt_srand(4242);
    EXPECT_EQ(next, crt_rand());
    EXPECT_EQ(controls[0].fire, 1);
}

TEST_F(PilotTest, EvenTheAceHoldsNoKeyBeforeItHasSeenTheOpponentMove)
{
    // 150 ms: five frames of 33 ms at least.
    for (int32_t kind : {pilot_rookie, pilot_veteran, pilot_ace}) {
        start(5, kind, kind, 1);
        for (int32_t f = 0; f < 5; ++f) {
            pilots_fly();
            for (const PlayerControls& c : controls) {
                EXPECT_EQ(c.accelerate + c.brake + c.turn_left + c.turn_right + c.pitch_up + c.pitch_down + c.fire, 0)
                    << pilot_names[kind] << " frame " << f;
            }
        }
    }
}

TEST_F(PilotTest, InPlayerOnesSeatItFiresOnlyShotsThatWouldCountAgainstPlayerOne)
{
    // Two aeroplanes hanging nose to nose, the other one a human holding no
    // key. Player 1 is tested against a shot only where it ends a frame,
    // 131, 231, 331... units ahead of the shooter standing still: from 431
    // units a shot counts, from 481 it cannot.
    struct Case {
        int32_t seat;  // the Ace's
        float distance;
        bool fires;
    };
    for (const Case c : {Case{0, 431.0f, true}, Case{0, 481.0f, false}, Case{1, 481.0f, true}}) {
        start(9, c.seat == 0 ? pilot_ace : pilot_human, c.seat == 1 ? pilot_ace : pilot_human, 1);
        for (Aircraft& a : aircraft) {
            matrix_identity(a.matrix);
        }
        matrix_rotate_y(aircraft[1].matrix, 3.14159265f);
        aircraft[1].matrix.m[14] = c.distance;
        start_pilots();
        bool fired = false;
        for (int32_t f = 0; f < 40; ++f) {  // before it would creep in
            match_frame();
            fired = fired || controls[c.seat].fire;
        }
        EXPECT_EQ(fired, c.fires) << "seat " << c.seat + 1 << " at " << c.distance;
    }
}

}  // namespace
