// The match on a 400 x 300 screen without models: shots and hits, the
// collision test, deaths, frags and the frag sequence, and the edges of the
// view. (The flight model's numbers are pinned, tick by tick, by the match
// rows of the whole-program tests.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/match.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/display.h"
#include "platform/headless.h"
#include "platform/sound.h"
#include "shell/keyboard.h"
#include "shell/pictures.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/window_proc.h"

namespace {

std::vector<int32_t> sounds;

Matrix4 placed_at(float x, float y, float z, bool backwards = false)
{
    Matrix4 m;
    matrix_identity(m);
    if (backwards) matrix_rotate_y(m, 3.14159265f);
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    return m;
}

class Match : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless_reset();
        reset_program_state();
        sounds.clear();
        HeadlessDriver driver{};
        driver.sound_played = [](int32_t slot, void*) { sounds.push_back(slot); };
        headless_set_driver(&driver);
        sound_init(nullptr);
        ASSERT_EQ(display_init(nullptr, 400, 300), 0);
        engine_init(200, 300);
        view_buffer = allocate_pixels(200 * 300);
        explosion_frames = allocate_pixels(explosion_count * explosion_pixels);
        std::memset(explosion_frames, 0, sizeof(uint32_t) * explosion_count * explosion_pixels);
        allocate_shot_list();
        matrix_identity(base_matrix);
        // Player 1 at the origin, player 2 far ahead; both facing +Z.
        aircraft[0].matrix = placed_at(0, 0, 0);
        aircraft[1].matrix = placed_at(0, 0, 5000);
        aircraft[0].energy = aircraft[1].energy = 100;
        match_active = 1;
    }
    void TearDown() override
    {
        engine.frame_buffer = nullptr;  // the display's, about to go
        release_program_resources();
        display_shutdown();
        headless_reset();
    }
    void put_shot(float z, bool backwards = false, int32_t age = 0)
    {
        shot_matrix[shot_count] = placed_at(0, 0, z, backwards);
        shot_age[shot_count++] = age;
    }
    void frame()
    {
        ASSERT_EQ(display_lock_frame(&engine.frame_buffer), 1);
        match_frame();
    }
    // Frames until the frag sequence has ended.
    int32_t sequence()
    {
        int32_t frames = 0;
        do {
            frame();
        } while (frag_timer > 0 && ++frames < 1000);
        return frames + 1;
    }
};

TEST_F(Match, PlayerTwosPassTestsFivePointsTwentyApartPlayerOnesOnlyOne)
{
    // A shot flying at player 2 from 109 units is tested at 109, 89, 69, 49
    // and 29 units: a hit. From 110 the last test is at 30: none.
    put_shot(5000 - 109.5f);
    process_shots(1);
    EXPECT_EQ(aircraft[1].energy, 95);
    EXPECT_EQ(shot_count, 0);
    put_shot(5000 - 110);
    process_shots(1);
    EXPECT_EQ(aircraft[1].energy, 95);
    EXPECT_EQ(shot_matrix[0].m[14], 4990.0f);  // moved 100 units
    EXPECT_EQ(sounds, (std::vector<int32_t>{sound_hit}));

    // One coming at player 1 from 50 units: tested there, not moved, then
    // 50 units behind him after player 2's pass: it passes him unhurt.
    shot_count = 0;
    put_shot(50, true);
    process_shots(0);
    EXPECT_EQ(shot_matrix[0].m[14], 50.0f);
    process_shots(1);
    process_shots(0);
    EXPECT_EQ(aircraft[0].energy, 100);
    EXPECT_NEAR(shot_matrix[0].m[14], -50.0f, 1e-3f);
    put_shot(29.5f, true);
    process_shots(0);
    EXPECT_EQ(aircraft[0].energy, 95);
    EXPECT_EQ(shot_count, 1);
}

TEST_F(Match, AShotLivesSixteenFramesAndAnExpiringShotIsNotTested)
{
    aircraft[1].matrix = placed_at(-5000, 0, 0);
    launch_shot(aircraft[0].matrix);
    for (int32_t frame = 1; frame <= 16; ++frame) {
        process_shots(1);
        process_shots(0);
        ASSERT_EQ(shot_count, 1);
        EXPECT_EQ(shot_age[0], 6 * frame);
    }
    process_shots(1);
    EXPECT_EQ(shot_matrix[0].m[14], 31.0f + 1700.0f);
    process_shots(0);
    EXPECT_EQ(shot_count, 0);
    // Aged past 100 right beside player 2: removed untested; at exactly 100
    // still tested.
    aircraft[1].matrix = placed_at(0, 0, 5000);
    put_shot(5000, false, 98);
    process_shots(1);
    EXPECT_EQ(aircraft[1].energy, 100);
    put_shot(5000, false, 97);
    process_shots(1);
    EXPECT_EQ(aircraft[1].energy, 95);
}

TEST_F(Match, AHitHandsTheSlotToTheNextShotInFull)
{
    put_shot(5000 - 29);
    put_shot(4000, true, 12);
    put_shot(3000, true, 40);
    process_shots(1);
    EXPECT_EQ(aircraft[1].energy, 95);
    ASSERT_EQ(shot_count, 2);
    EXPECT_EQ(shot_age[0], 15);  // aged, tested and moved in the same pass
    EXPECT_NEAR(shot_matrix[0].m[14], 3900.0f, 1e-2f);
    EXPECT_EQ(shot_age[1], 43);
    remove_shot(7);  // nothing there
    EXPECT_EQ(shot_count, 2);
}

TEST_F(Match, CollisionsDeathsAndFrags)
{
    aircraft[1].matrix = placed_at(0, 40, 0);
    collision_test();  // exactly 40 is not a collision
    EXPECT_EQ(aircraft[0].energy, 100);
    matrix_translate(aircraft[1].matrix, 0, -0.5f, 0);
    collision_test();
    EXPECT_EQ(aircraft[0].energy, -1);
    EXPECT_EQ(aircraft[1].energy, -1);
    aircraft[0].explosion_frame = 7;
    death_checks();
    EXPECT_EQ(aircraft[0].energy, 0);
    EXPECT_EQ(aircraft[1].energy, 0);
    EXPECT_EQ(aircraft[0].explosion_frame, 0);
    EXPECT_EQ(frag_timer, 255);
    EXPECT_STREQ(frag_message, "No one got a frag ...");
    aircraft[0].energy = aircraft[1].energy = 50;
    collision_test();  // off during the sequence
    EXPECT_EQ(aircraft[0].energy, 50);

    std::strcpy(player_name[0], std::string(31, 'x').c_str());
    std::strcpy(player_name[1], "Bob");
    aircraft[0].energy = -5;
    death_checks();
    EXPECT_STREQ(frag_message, "Bob got a frag ...");
    frag_timer = 100;
    aircraft[1].energy = -1;  // the survivor meets a shot still in flight
    death_checks();
    EXPECT_EQ(frag_timer, 255);
    EXPECT_EQ(std::string(frag_message), std::string(31, 'x') + " got a frag ...");
    EXPECT_EQ(sounds, (std::vector<int32_t>{sound_frag, sound_frag, sound_frag}));
}

TEST_F(Match, OneDeathMeansFortyThreeFramesAndAFrag)
{
    aircraft[1].energy = -5;
    frame();
    EXPECT_EQ(frag_timer, 255 - 6);
    controls[0].accelerate = controls[0].fire = 1;  // cleared every frame of the sequence
    EXPECT_EQ(1 + sequence(), 43);
    EXPECT_EQ(aircraft[0].speed, 0.0f);
    EXPECT_EQ(aircraft[0].frags, 1);
    EXPECT_EQ(aircraft[1].energy, 100);
    EXPECT_EQ(match_active, 1);
}

TEST_F(Match, TwoDownMeansThirtySevenFramesAndNoFrag)
{
    aircraft[1].matrix = placed_at(0, 30, 0);  // a collision
    EXPECT_EQ(sequence(), 37);
    aircraft[1].matrix = placed_at(0, 0, 5000);
    aircraft[0].energy = 0;  // twenty hits taken: alive, but down when the round ends
    aircraft[1].energy = -5;
    EXPECT_EQ(sequence(), 37);
    EXPECT_EQ(aircraft[0].frags + aircraft[1].frags, 0);
}

TEST_F(Match, TheLastFragEndsTheMatch)
{
    frag_limit = 1;
    aircraft[0].energy = -1;
    sequence();
    EXPECT_EQ(winner_active, 1);
    EXPECT_EQ(match_active, 0);
    EXPECT_EQ(match_winner, 2);
    EXPECT_EQ(sounds, (std::vector<int32_t>{sound_frag, sound_frag}));
}

TEST_F(Match, StarsAndTheExplosionStayInsideTheView)
{
    // Seen from the identity a star (x, y, z) lands at (100 + 256 x / z,
    // 150 + 256 y / z); on or past an edge, too near or behind: not drawn.
    const Vec3 stars[] = {{99, 120, 256}, {100, 120, 256}, {-99.5f, 120, 256}, {-100, 110, 256}, {50, 149.5f, 256},
                          {40, 150, 256}, {30, -150, 256}, {0, 120, 0.05f}, {0, 0, -20}};
    std::fill(std::begin(star_field), std::end(star_field), Vec3{0, 0, 0});
    std::copy(std::begin(stars), std::end(stars), star_field);
    aircraft[0].matrix.m[12] = aircraft[0].matrix.m[13] = 123456;  // only the viewer's rotation counts
    aircraft[1].matrix = placed_at(123456, 123456, 800);            // straight ahead: no direction marker
    auto drawn = [](uint32_t colour) {
        std::vector<int32_t> at;
        for (int32_t k = 0; k < 200 * 300; ++k) {
            if (view_buffer[k] == colour) at.push_back(k);
        }
        return at;
    };
    draw_player_view(0);
    EXPECT_EQ(drawn(0xFFFFFF), (std::vector<int32_t>{270 * 200, 270 * 200 + 199, 299 * 200 + 150}));

    // The opponent dead at the viewer's depth: z = 0.1, the sprite covers
    // the view but for its first row and column. Behind him: nothing drawn.
    std::fill(explosion_frames + explosion_pixels, explosion_frames + 2 * explosion_pixels, 0x123456u);
    aircraft[1].matrix = placed_at(123456, 123456, 0);
    aircraft[1].energy = 0;
    frag_timer = 200;
    draw_player_view(0);
    EXPECT_EQ(drawn(0x123456).size(), 199u * 299u - 3u);  // less the speed bar over it
    EXPECT_EQ(view_buffer[0], 0u);
    EXPECT_EQ(engine.depth_buffer[12345], 0.1f);
    aircraft[1].matrix = placed_at(123456, 123456, -50);
    aircraft[1].explosion_frame = 0;
    draw_player_view(0);
    EXPECT_TRUE(drawn(0x123456).empty());
    EXPECT_EQ(engine.depth_buffer[12345], -50.0f);
}

TEST_F(Match, AeroplanesAnyDistanceApartDrawWithoutTrouble)
{
    frag_timer = 200;
    aircraft[0].speed = 1.0e30f;
    for (float far : {3.0e4f, 5.0e9f, 1.0e30f, -2.0e38f}) {
        aircraft[1].energy = 0;
        aircraft[1].matrix = placed_at(far, -far, far * 0.5f);
        draw_player_view(0);
        aircraft[1].matrix = placed_at(far, 0, 0.05f);
        draw_player_view(0);
    }
    EXPECT_EQ(aircraft[1].explosion_frame, 8);
}

}  // namespace
