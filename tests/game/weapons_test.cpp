// Shots, hits, the collision test, deaths and frags.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/render.h"
#include "assets/texture.h"
#include "game/aircraft.h"
#include "game/weapons.h"
#include "match_fixture.h"
#include "shell/keyboard.h"
#include "game/match.h"
#include "game/weapons.h"
#include "game/world.h"
#include "shell/credits.h"
#include "shell/pictures.h"
#include "shell/screens.h"
#include "shell/settings.h"
#include "shell/startup.h"

namespace {

class WeaponsTest : public MatchFixture {
protected:
    // A shot placed directly (not launched): at (x, y, z), flying along +Z
    // or, with backwards, along -Z.
    void put_shot(float x, float y, float z, bool backwards = false, int32_t age = 0)
    {
        Matrix4 m = placed_at(x, y, z);
        if (backwards) {
            matrix_rotate_y(m, 3.14159265f);
        }
        shot_matrix[shot_count] = m;
        shot_age[shot_count] = age;
        ++shot_count;
    }
    void both_passes()
    {
        process_shots(1);
        process_shots(0);
    }
};

TEST_F(WeaponsTest, AShotLivesSixteenFramesAndFliesSeventeenHundredUnits)
{
    // Both aeroplanes far off to the side of the shot's path.
    aircraft[0].matrix = placed_at(0, 0, 0);
    aircraft[1].matrix = placed_at(-5000, 0, 0);
    launch_shot(aircraft[0].matrix);
    for (int32_t frame = 0; frame < 16; ++frame) {
        both_passes();
        ASSERT_EQ(shot_count, 1) << frame;
        EXPECT_EQ(shot_age[0], 6 * (frame + 1));
        EXPECT_EQ(shot_matrix[0].m[14], 31.0f + 100.0f * static_cast<float>(frame + 1));
    }
    // Frame f + 16: player 2's pass still moves it (age 99), player 1's
    // pass removes it (age 102).
    process_shots(1);
    ASSERT_EQ(shot_count, 1);
    EXPECT_EQ(shot_age[0], 99);
    EXPECT_EQ(shot_matrix[0].m[14], 31.0f + 1700.0f);
    process_shots(0);
    EXPECT_EQ(shot_count, 0);
}

TEST_F(WeaponsTest, AnExpiringShotIsNotTested)
{
    aircraft[1].matrix = placed_at(0, 0, 5000);
    put_shot(0, 0, 5000, false, 98);
    process_shots(1);
    EXPECT_EQ(shot_count, 0);
    EXPECT_EQ(aircraft[1].energy, 100);
    EXPECT_TRUE(sounds.empty());
    // An age of exactly 100 is not above the limit: still tested.
    put_shot(0, 0, 5000, false, 97);
    process_shots(1);
    EXPECT_EQ(shot_count, 0);
    EXPECT_EQ(aircraft[1].energy, 95);
}

TEST_F(WeaponsTest, AHitInTheFirstSubStepHandsTheSlotToTheNextShotInFull)
{
    aircraft[1].matrix = placed_at(0, 0, 5000);
    put_shot(0, 0, 5000 - 29.0f);      // within 30 units: hit at once
    put_shot(300, 0, 4000, true, 12);  // the next shot, flying away
    process_shots(1);
    EXPECT_EQ(aircraft[1].energy, 95);
    EXPECT_EQ((std::vector<int32_t>{3}), sounds);
    ASSERT_EQ(shot_count, 1);
    // Aged, tested and moved in the same pass.
    EXPECT_EQ(shot_age[0], 15);
    EXPECT_NEAR(shot_matrix[0].m[14], 3900.0f, 1e-2f);
    EXPECT_NEAR(shot_matrix[0].m[12], 300.0f, 1e-2f);
}

TEST_F(WeaponsTest, PlayerTwoIsTestedAlongThePathPlayerOneOnlyWhereTheShotStands)
{
    // Player 2: a shot 69 units short of him, coming straight at him, is
    // tested at 69, 49 and 29 units: hit in the third sub-step.
    aircraft[1].matrix = placed_at(0, 0, 5000);
    put_shot(0, 0, 5000 - 69.0f);
    process_shots(1);
    EXPECT_EQ(aircraft[1].energy, 95);
    EXPECT_EQ(shot_count, 0);

    // Player 1: a shot 50 units ahead of him coming his way is tested at
    // 50 units in his pass and is 50 units behind him after the next move
    // in player 2's pass: it passes him without a hit.
    put_shot(0, 0, 50.0f, true);
    process_shots(0);
    EXPECT_EQ(aircraft[0].energy, 100);
    EXPECT_EQ(shot_matrix[0].m[14], 50.0f);  // not moved in player 1's pass
    process_shots(1);
    EXPECT_NEAR(shot_matrix[0].m[14], -50.0f, 1e-3f);
    process_shots(0);
    EXPECT_EQ(aircraft[0].energy, 100);
    EXPECT_EQ(shot_count, 1);
}

TEST_F(WeaponsTest, TheShooterCannotCatchHisOwnShotInFlight)
{
    aircraft[0].matrix = placed_at(0, 0, -100000);
    for (int32_t p = 0; p < 2; ++p) {
        controls[p].accelerate = 1;
        controls[p].fire = 1;
    }
    for (int32_t frame = 0; frame < 60; ++frame) {
        flight_update();
        both_passes();
    }
    EXPECT_EQ(aircraft[0].energy, 100);
    EXPECT_EQ(aircraft[1].energy, 100);
    EXPECT_EQ(shot_count, 32);  // the shots of the last 16 frames
}

TEST_F(WeaponsTest, ShotsStandStillWhilePlayerTwosPassDoesNotRun)
{
    // Player 1 flies into a shot that only player 1's pass looks at.
    put_shot(0, 0, 60.0f, true);
    aircraft[0].speed = 0.0f;
    controls[0].accelerate = 1;
    int32_t frames = 0;
    while (aircraft[0].energy == 100 && frames < 20) {
        flight_update();
        process_shots(0);
        ++frames;
    }
    EXPECT_EQ(aircraft[0].energy, 95);
    EXPECT_EQ(shot_count, 0);
}

TEST_F(WeaponsTest, TwentyHitsLeaveZeroAndTheTwentyFirstDestroys)
{
    aircraft[1].matrix = placed_at(0, 0, 5000);
    for (int32_t hit = 0; hit < 20; ++hit) {
        put_shot(0, 0, 5000);
        process_shots(1);
        death_checks();
    }
    EXPECT_EQ(aircraft[1].energy, 0);
    EXPECT_EQ(frag_timer, 0);
    put_shot(0, 0, 5000);
    process_shots(1);
    EXPECT_EQ(aircraft[1].energy, -5);
    sounds.clear();
    death_checks();
    EXPECT_EQ(aircraft[1].energy, 0);
    EXPECT_EQ(frag_timer, 255);
    EXPECT_EQ((std::vector<int32_t>{4}), sounds);
    EXPECT_STREQ(frag_message, "Player 1 got a frag ...");
}

TEST_F(WeaponsTest, CollisionWithinFortyUnitsDestroysBoth)
{
    aircraft[1].matrix = placed_at(0, 40.0f, 0);
    collision_test();
    EXPECT_EQ(aircraft[0].energy, 100);  // exactly 40 is not a collision
    aircraft[1].matrix = placed_at(0, 39.5f, 0);
    matrix_rotate_x(aircraft[1].matrix, 1.0f);
    collision_test();
    EXPECT_EQ(aircraft[0].energy, -1);
    EXPECT_EQ(aircraft[1].energy, -1);
    aircraft[0].explosion_frame = 7;
    aircraft[1].explosion_frame = -3;
    death_checks();
    EXPECT_EQ(aircraft[0].energy, 0);
    EXPECT_EQ(aircraft[1].energy, 0);
    EXPECT_EQ(aircraft[0].explosion_frame, 0);
    EXPECT_EQ(aircraft[1].explosion_frame, 0);
    EXPECT_EQ(frag_timer, 255);
    EXPECT_STREQ(frag_message, "No one got a frag ...");
    EXPECT_EQ((std::vector<int32_t>{4}), sounds);

    // During the sequence the aeroplanes pass through each other.
    aircraft[0].energy = aircraft[1].energy = 50;
    collision_test();
    EXPECT_EQ(aircraft[0].energy, 50);
}

TEST_F(WeaponsTest, DeathMessagesNameTheOtherPlayer)
{
    std::strcpy(player_name[0], "Anna");
    std::strcpy(player_name[1], "Bob");
    aircraft[0].energy = -5;
    death_checks();
    EXPECT_STREQ(frag_message, "Bob got a frag ...");
    EXPECT_EQ(aircraft[0].energy, 0);
    EXPECT_EQ(aircraft[1].energy, 100);

    // A 31-character name fits with the message.
    std::memset(player_name[0], 'x', 31);
    player_name[0][31] = '\0';
    aircraft[1].energy = -1;
    death_checks();
    EXPECT_EQ(std::string(frag_message), std::string(31, 'x') + " got a frag ...");
}

TEST_F(WeaponsTest, TheSurvivorKilledDuringTheSequenceEndsTheRoundWithoutAFrag)
{
    aircraft[1].energy = -5;
    death_checks();
    EXPECT_STREQ(frag_message, "Player 1 got a frag ...");
    frag_timer = 100;
    // The survivor meets a shot still in flight.
    aircraft[0].energy = -5;
    death_checks();
    EXPECT_STREQ(frag_message, "Player 2 got a frag ...");
    EXPECT_EQ(frag_timer, 255);
    EXPECT_EQ((std::vector<int32_t>{4, 4}), sounds);
    frag_award();
    EXPECT_EQ(aircraft[0].frags, 0);
    EXPECT_EQ(aircraft[1].frags, 0);
}

TEST_F(WeaponsTest, FragAwardGoesToTheSurvivorOnly)
{
    aircraft[1].energy = 0;
    frag_award();
    EXPECT_EQ(aircraft[0].frags, 1);
    EXPECT_EQ(aircraft[1].frags, 0);
    EXPECT_EQ(aircraft[1].energy, 100);  // the next round has begun

    aircraft[0].energy = -5;
    frag_award();
    EXPECT_EQ(aircraft[1].frags, 1);

    // A survivor left at 0 by twenty hits counts as down too.
    aircraft[0].energy = 0;
    aircraft[1].energy = 0;
    frag_award();
    EXPECT_EQ(aircraft[0].frags, 1);
    EXPECT_EQ(aircraft[1].frags, 1);
}

TEST_F(WeaponsTest, RemoveShotKeepsTheOrder)
{
    for (int32_t k = 0; k < 5; ++k) put_shot(static_cast<float>(k), 0, 0, false, k);
    remove_shot(1);
    ASSERT_EQ(shot_count, 4);
    const int32_t ages[] = {0, 2, 3, 4};
    for (int32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(shot_age[k], ages[k]);
        EXPECT_EQ(shot_matrix[k].m[12], static_cast<float>(ages[k]));
    }
    remove_shot(3);
    remove_shot(7);  // nothing there
    EXPECT_EQ(shot_count, 3);
}

TEST_F(WeaponsTest, ALaunchIntoAFullListIsDropped)
{
    for (int32_t k = 0; k < shot_capacity; ++k) launch_shot(aircraft[0].matrix);
    EXPECT_EQ(shot_count, shot_capacity);
    launch_shot(aircraft[1].matrix);
    EXPECT_EQ(shot_count, shot_capacity);
    EXPECT_EQ(shot_matrix[shot_capacity - 1].m[14], 31.0f);
}

TEST_F(WeaponsTest, AnEmptyListMakesAPassDoNothing)
{
    process_shots(1);
    process_shots(0);
    EXPECT_EQ(shot_count, 0);
    EXPECT_TRUE(sounds.empty());
}

TEST_F(WeaponsTest, ShotsAreDrawnWithTheFireModel)
{
    MemoryMesh fire = make_square("Fire", 5.0f);
    Scene scene{};
    scene.mesh_count = 1;
    scene.meshes = &fire.mesh;
    fire_scene = &scene;
    std::vector<Texture> texture(1);
    for (uint32_t& p : texture[0].pixels) p = 0x00FF8800;
    fire_texture = texture.data();
    engine_clear_depth();
    std::memset(view_buffer, 0, 200 * 300 * sizeof(uint32_t));
    // A shot 100 units ahead of player 1, seen from the front.
    put_shot(0, 0, 100.0f);
    process_shots(0);
    EXPECT_EQ(view(100, 150), 0x00FF8800u);
    EXPECT_EQ(view(100, 150 + 20), 0u);
    EXPECT_EQ(view(10, 10), 0u);
    // A fire scene without meshes draws nothing.
    scene.mesh_count = 0;
    std::memset(view_buffer, 0, 200 * 300 * sizeof(uint32_t));
    engine_clear_depth();
    process_shots(0);
    EXPECT_EQ(view(100, 150), 0u);
    fire_scene = nullptr;
    fire_texture = nullptr;
}

TEST_F(WeaponsTest, EveryShotIsDrawnFromTheViewersCockpit)
{
    // The game's own shot model when the game directory is there, else a
    // square; positions all around the viewer, inside, across the edges and
    // behind.
    const std::string dir = VALKRON_GAME_DIR;
    Scene* loaded = load_scene((dir + "/Data/Fire.3ds").c_str());
    Texture* texture = load_texture((dir + "/Data/Fire.tex").c_str());
    MemoryMesh square = make_square("Fire", 6.0f);
    Scene fallback{};
    fallback.mesh_count = 1;
    fallback.meshes = &square.mesh;
    fire_scene = loaded && loaded->mesh_count > 0 ? loaded : &fallback;
    std::vector<Texture> plain(1);
    for (uint32_t& p : plain[0].pixels) p = 0x00C08040;
    fire_texture = texture ? texture : plain.data();

    aircraft[0].matrix = placed_at(3, -2, 1);
    matrix_rotate_y(aircraft[0].matrix, 0.4f);
    matrix_rotate_x(aircraft[0].matrix, -0.3f);
    aircraft[1].matrix = placed_at(0, 0, -90000);
    std::vector<Matrix4> shots;
    for (int32_t k = 0; k < 400; ++k) {
        const float a = 0.37f * static_cast<float>(k), b = 0.11f * static_cast<float>(k);
        const float distance = 35.0f + static_cast<float>(k % 23) * 17.0f;
        Matrix4 m = aircraft[0].matrix;
        matrix_rotate_y(m, a);
        matrix_rotate_x(m, b);
        matrix_translate(m, 0, 0, distance);
        matrix_rotate_z(m, a * 3.0f);
        shots.push_back(m);
    }
    for (const Matrix4& m : shots) {
        shot_matrix[shot_count] = m;
        shot_age[shot_count++] = 0;
    }
    std::vector<uint32_t> star_row(200, 0x00FFFFFF);
    auto prepare = [&] {
        engine_clear_depth();
        std::memset(view_buffer, 0, 200 * 300 * sizeof(uint32_t));
        std::memcpy(view_buffer, star_row.data(), 200 * sizeof(uint32_t));  // row 0 set
    };
    prepare();
    process_shots(0);
    ASSERT_EQ(shot_count, 400);
    const std::vector<uint32_t> pixels(view_buffer, view_buffer + 200 * 300);
    const std::vector<float> depth(engine.depth_buffer, engine.depth_buffer + 200 * 300);

    prepare();
    for (const Matrix4& m : shots) {
        render_mesh(m, aircraft[0].matrix, fire_scene->meshes[0], view_buffer, 0, fire_texture);
    }
    int32_t drawn = 0;
    for (int32_t k = 0; k < 200 * 300; ++k) {
        ASSERT_EQ(pixels[k], view_buffer[k]) << k;
        ASSERT_EQ(depth[k], engine.depth_buffer[k]) << k;
        drawn += pixels[k] != 0;
    }
    EXPECT_GT(drawn, 100);
    fire_scene = nullptr;
    fire_texture = nullptr;
    release_scene(loaded);
    release_texture(texture);
}

}  // namespace
