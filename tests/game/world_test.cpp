// Star field, placements, round start, match end and the release of the
// aeroplane models.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/scene.h"
#include "assets/texture.h"
#include "game/aircraft.h"
#include "game/random.h"
#include "game/weapons.h"
#include "game/world.h"
#include "match_fixture.h"
#include "matrix_checks.h"
#include "platform/headless.h"
#include "scene_builders.h"
#include "scratch_dir.h"
#include "shell/keyboard.h"
#include "game/match.h"
#include "game/weapons.h"
#include "game/world.h"
#include "shell/credits.h"
#include "shell/pictures.h"
#include "shell/screens.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/window_proc.h"

namespace {

// The runtime library's generator, written out again for the expectations.
struct Reference {
    uint32_t state;
    int32_t next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>((state >> 16) & 0x7FFF);
    }
    float offset() { return static_cast<float>((next() & 0xFFF) - 500); }
};

class WorldTest : public MatchFixture {
protected:
    void load_models()
    {
        const std::string path = scratch.write("plane.3ds", one_triangle_3ds("Body", {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}));
        for (int32_t p = 0; p < 2; ++p) {
            plane_scene[p] = load_scene(path.c_str());
            ASSERT_NE(plane_scene[p], nullptr);
            plane_texture[p] = static_cast<Texture*>(std::malloc(sizeof(Texture)));
        }
    }
    ScratchDir scratch;
};

TEST_F(WorldTest, PolarToCartesianUsesDegrees)
{
    float x = 0, y = 0;
    polar_to_cartesian(2.0f, 90.0f, x, y);
    EXPECT_NEAR(x, 0.0f, 1e-6f);
    EXPECT_NEAR(y, 2.0f, 1e-6f);
    polar_to_cartesian(-1.0f, 180.0f, x, y);
    EXPECT_NEAR(x, 1.0f, 1e-6f);
    EXPECT_NEAR(y, 0.0f, 1e-6f);
    polar_to_cartesian(1.0f, 30.0f, x, y);
    EXPECT_EQ(x, static_cast<float>(std::cos(static_cast<double>(30.0f * 0.017453292f))));
    EXPECT_EQ(y, static_cast<float>(std::sin(static_cast<double>(30.0f * 0.017453292f))));
}

TEST_F(WorldTest, StarFieldIsSeededFromTheClockAndUsesTwoDrawsPerStar)
{
    headless_set_clock(4242);
    generate_star_field();
    Reference ref{4242};
    for (int32_t s = 0; s < star_count; ++s) {
        const Vec3& star = star_field[s];
        const int32_t a_degrees = ref.next() % 360 - 180;
        const int32_t b_degrees = ref.next() % 180;
        ASSERT_GE(a_degrees, -180);
        ASSERT_LT(a_degrees, 180);
        const double a = a_degrees * 0.017453292, b = b_degrees * 0.017453292;
        EXPECT_NEAR(star.x, 20 * std::cos(a) * std::cos(b), 1e-4) << s;
        EXPECT_NEAR(star.y, 20 * std::cos(a) * std::sin(b), 1e-4) << s;
        EXPECT_NEAR(star.z, 20 * std::sin(a), 1e-4) << s;
        EXPECT_NEAR(std::sqrt(star.x * star.x + star.y * star.y + star.z * star.z), 20.0, 1e-4);
    }
    // Exactly 300 draws were used: the stream goes on from there.
    EXPECT_EQ(crt_rand(), ref.next());

    // Another clock, another sky.
    const Vec3 first = star_field[0];
    headless_set_clock(4243);
    generate_star_field();
    EXPECT_TRUE(first.x != star_field[0].x || first.y != star_field[0].y ||
                first.z != star_field[0].z);
}

TEST_F(WorldTest, RandomOffsetsCoverMinus500To3595)
{
    crt_srand(7);
    Reference ref{7};
    float low = 1e9f, high = -1e9f;
    for (int32_t k = 0; k < 100000; ++k) {
        const float v = random_offset();
        ASSERT_EQ(v, ref.offset());
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_EQ(low, -500.0f);
    EXPECT_EQ(high, 3595.0f);
}

TEST_F(WorldTest, NewGamePlacementRollsPitchesAndOffsetsBothAeroplanes)
{
    aircraft[0].matrix = placed_at(1, 2, 3);
    matrix_rotate_y(aircraft[0].matrix, 1.0f);
    crt_srand(99);
    place_aircraft_for_new_game();
    Reference ref{99};
    for (int32_t p = 0; p < 2; ++p) {
        Matrix4 expected;
        matrix_identity(expected);
        matrix_rotate_z(expected, -3.1415925f);
        matrix_rotate_x(expected, -0.5235988f);
        const float z = ref.offset();
        const float y = ref.offset();
        const float x = ref.offset();
        matrix_translate(expected, x, y, z);
        EXPECT_TRUE(same_matrix(aircraft[p].matrix, expected)) << "player " << p;
    }
    for (int e = 0; e < 12; ++e) EXPECT_EQ(aircraft[0].matrix.m[e], aircraft[1].matrix.m[e]);
    // Rolled half a turn: own Y points up the world, own X to the world's
    // left; the nose pitched 30 degrees.
    EXPECT_NEAR(aircraft[0].matrix.m[0], -1.0f, 1e-6f);
    EXPECT_NEAR(aircraft[0].matrix.m[10], std::cos(0.5235988), 1e-6);
}

TEST_F(WorldTest, ResetRoundKeepsHeadingsAndJumpsFromWhereTheyAre)
{
    for (int32_t p = 0; p < 2; ++p) {
        Aircraft& a = aircraft[p];
        a.matrix = placed_at(100.0f * p, -20, 7);
        matrix_rotate_y(a.matrix, 0.3f + p);
        matrix_rotate_x(a.matrix, -0.2f);
        a.speed = 33;
        a.thrust = 2;
        a.yaw_rate = 0.1f;
        a.pitch_rate = -0.05f;
        a.energy = p == 0 ? 0 : 45;
        a.explosion_frame = 9;
        a.frags = 4;
        controls[p] = PlayerControls{1, 1, 1, 1, 1, 1, 1};
    }
    launch_shot(aircraft[0].matrix);
    sounds.clear();
    frag_timer = -3;
    match_active = 0;
    menu_active = 1;
    const Matrix4 before[2] = {aircraft[0].matrix, aircraft[1].matrix};

    crt_srand(5);
    reset_round();
    Reference ref{5};
    for (int32_t p = 0; p < 2; ++p) {
        const Aircraft& a = aircraft[p];
        Matrix4 expected = before[p];
        const float z = ref.offset();
        const float y = ref.offset();
        const float x = ref.offset();
        matrix_translate(expected, x, y, z);
        EXPECT_TRUE(same_matrix(a.matrix, expected)) << "player " << p;
        for (int e = 0; e < 12; ++e) EXPECT_EQ(a.matrix.m[e], before[p].m[e]);
        EXPECT_EQ(a.energy, 100);
        EXPECT_EQ(a.speed, 0.0f);
        EXPECT_EQ(a.thrust, 2.0f);
        EXPECT_EQ(a.yaw_rate, 0.1f);
        EXPECT_EQ(a.pitch_rate, -0.05f);
        EXPECT_EQ(a.explosion_frame, 0);
        EXPECT_EQ(a.frags, 4);
        EXPECT_EQ(controls[p].accelerate + controls[p].brake + controls[p].turn_left +
                      controls[p].turn_right + controls[p].pitch_up + controls[p].pitch_down +
                      controls[p].fire,
                  0);
    }
    EXPECT_EQ(shot_count, 0);
    EXPECT_EQ(frag_timer, -3);
    EXPECT_EQ(match_active, 1);
    EXPECT_EQ(menu_active, 0);
    EXPECT_EQ(winner_active, 0);
    EXPECT_TRUE(sounds.empty());
}

TEST_F(WorldTest, ReachingTheLimitEndsTheMatchAndReleasesTheModels)
{
    load_models();
    frag_limit = 3;
    aircraft[0].frags = 3;
    aircraft[1].frags = 2;
    screen_timer = 77;
    name_edit = 2;
    intro_active = 1;
    reset_round();
    EXPECT_EQ(match_winner, 1);
    EXPECT_EQ(winner_active, 1);
    EXPECT_EQ(match_active, 0);
    EXPECT_EQ(menu_active, 0);
    EXPECT_EQ(intro_active, 0);
    EXPECT_EQ(screen_timer, 0);
    EXPECT_EQ(name_edit, 0);
    EXPECT_EQ((std::vector<int32_t>{4}), sounds);
    for (int32_t p = 0; p < 2; ++p) {
        EXPECT_EQ(plane_scene[p], nullptr);
        EXPECT_EQ(plane_texture[p], nullptr);
    }
}

TEST_F(WorldTest, BothAtTheLimitNamesPlayerTwoAndReleasesOnce)
{
    load_models();
    frag_limit = 0;
    reset_round();
    EXPECT_EQ(match_winner, 2);
    EXPECT_EQ(winner_active, 1);
    EXPECT_EQ(match_active, 0);
    ASSERT_FALSE(sounds.empty());
    EXPECT_EQ(sounds.back(), 4);
    EXPECT_EQ(plane_scene[0], nullptr);
    EXPECT_EQ(plane_scene[1], nullptr);
    // Leaving by Esc afterwards finds nothing left to free.
    release_match_models();
}

TEST_F(WorldTest, BelowTheLimitTheMatchGoesOn)
{
    load_models();
    frag_limit = 1;
    reset_round();
    EXPECT_EQ(match_active, 1);
    EXPECT_EQ(winner_active, 0);
    EXPECT_NE(plane_scene[0], nullptr);
    EXPECT_TRUE(sounds.empty());
}

TEST_F(WorldTest, ReleaseMatchModelsFreesAllFourAndIsSafeTwice)
{
    load_models();
    release_match_models();
    for (int32_t p = 0; p < 2; ++p) {
        EXPECT_EQ(plane_scene[p], nullptr);
        EXPECT_EQ(plane_texture[p], nullptr);
    }
    release_match_models();
}

}  // namespace
