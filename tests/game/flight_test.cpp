// The flight model's numbers: the speed and turn-rate rules, each player's
// order of steps, the launch of shots.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game/aircraft.h"
#include "game/weapons.h"
#include "platform/headless.h"
#include "platform/sound.h"
#include "shell/keyboard.h"
#include "shell/startup.h"

namespace {

std::vector<int32_t> sounds;

bool same_matrix(const Matrix4& a, const Matrix4& b) { return std::equal(a.m, a.m + 16, b.m); }

class Flight : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless_reset();
        reset_program_state();
        allocate_shot_list();
        sounds.clear();
        HeadlessDriver driver{};
        driver.sound_played = [](int32_t slot, void*) { sounds.push_back(slot); };
        headless_set_driver(&driver);
        sound_init(nullptr);
        for (Aircraft& a : aircraft) matrix_identity(a.matrix);
    }
    void TearDown() override
    {
        free_shot_list();
        headless_reset();
    }
};

TEST_F(Flight, SpeedPassesTheCeilingForOneFrameThenBrakesAndCoastsToRest)
{
    const float speeds[] = {0.5f, 1.5f, 3, 5, 7.5f, 10.5f, 14, 18, 22.5f, 27.5f, 33, 39, 45.5f, 52.5f, 50, 50};
    controls[0].accelerate = controls[1].accelerate = 1;
    float travelled = 0;
    for (float speed : speeds) {
        flight_update();
        travelled += speed;
        EXPECT_EQ(aircraft[0].speed, speed);
        EXPECT_EQ(aircraft[1].speed, speed);
        EXPECT_EQ(aircraft[0].matrix.m[14], travelled);  // straight ahead by this frame's speed
    }
    EXPECT_EQ(aircraft[0].thrust, 7.0f);  // kept while held at the ceiling

    // Player 1 brakes, player 2 coasts: 46 frames to -0.6, 125 to 0.
    controls[0] = {0, 1, 0, 0, 0, 0, 0};
    controls[1] = {};
    int32_t below_zero = 0, at_rest = 0;
    for (int32_t frame = 1; frame <= 130; ++frame) {
        flight_update();
        if (below_zero == 0 && aircraft[0].speed < 0) {
            below_zero = frame;
            EXPECT_NEAR(aircraft[0].speed, -0.6f, 1e-4f);
            travelled = aircraft[0].matrix.m[14];
        } else if (below_zero != 0 && frame == below_zero + 1) {
            EXPECT_EQ(aircraft[0].speed, 0.0f);
            EXPECT_EQ(aircraft[0].matrix.m[14], travelled);
        }
        if (at_rest == 0 && aircraft[1].speed <= 0) at_rest = frame;
    }
    EXPECT_EQ(below_zero, 46);
    EXPECT_EQ(at_rest, 125);
    EXPECT_EQ(aircraft[0].thrust, 0.0f);
    EXPECT_EQ(aircraft[1].thrust, 0.0f);
    aircraft[0].thrust = 3;  // braking at rest leaves the thrust alone
    const Matrix4 still = aircraft[1].matrix;
    flight_update();
    EXPECT_EQ(aircraft[0].thrust, 3.0f);
    EXPECT_EQ(aircraft[1].speed, 0.0f);
    EXPECT_TRUE(same_matrix(aircraft[1].matrix, still));
}

TEST_F(Flight, TurnRatesOvershootOnceHoldAndDecayToZero)
{
    controls[0].turn_left = 1;
    controls[1].pitch_down = 1;
    const float held[] = {0.015f, 0.03f, 0.045f, 0.06f, 0.075f, 0.09f, 0.105f, 0.12f, 0.135f, 0.15f, 0.165f,
                          0.15707964f, 0.15707964f};
    for (float rate : held) {
        flight_update();
        EXPECT_NEAR(aircraft[0].yaw_rate, rate, 1e-7f);
        EXPECT_NEAR(aircraft[1].pitch_rate, -rate, 1e-7f);
    }
    EXPECT_EQ(aircraft[0].yaw_rate, 0.15707964f);
    clear_controls();
    for (float rate : {0.12707964f, 0.09707964f, 0.06707964f, 0.03707964f, 0.00707964f, 0.0f, 0.0f}) {
        flight_update();
        EXPECT_NEAR(aircraft[0].yaw_rate, rate, 2e-8f);
        EXPECT_NEAR(aircraft[1].pitch_rate, -rate, 2e-8f);
    }
    EXPECT_EQ(aircraft[0].yaw_rate, 0.0f);
    EXPECT_EQ(aircraft[1].pitch_rate, 0.0f);
}

TEST_F(Flight, ConflictingKeysAccelerateTurnLeftAndPitchUp)
{
    controls[0] = controls[1] = {1, 1, 1, 1, 1, 1, 0};
    flight_update();
    flight_update();
    for (const Aircraft& a : aircraft) {
        EXPECT_EQ(a.speed, 1.5f);
        EXPECT_EQ(a.yaw_rate, 0.015f + 0.015f);
        EXPECT_EQ(a.pitch_rate, 0.015f + 0.015f);
    }
    // Left turns the nose (row 2) to the left of the screen, Up raises it.
    matrix_identity(aircraft[0].matrix);
    matrix_identity(aircraft[1].matrix);
    controls[0] = {0, 0, 1, 0, 0, 0, 0};
    controls[1] = {0, 0, 0, 0, 1, 0, 0};
    flight_update();
    EXPECT_LT(aircraft[0].matrix.m[8], 0.0f);
    EXPECT_LT(aircraft[1].matrix.m[9], 0.0f);
}

TEST_F(Flight, PlayerOneTurnsAboutYThenXPlayerTwoAboutXThenY)
{
    for (Aircraft& a : aircraft) {
        matrix_rotate_z(a.matrix, 0.7f);
        a.speed = 20;
        a.yaw_rate = 0.09f;
        a.pitch_rate = -0.06f;
    }
    const Matrix4 start = aircraft[0].matrix;
    controls[0] = controls[1] = {0, 0, 1, 0, 0, 1, 0};
    flight_update();
    Matrix4 first = start, second = start;
    const float speed = 20.0f - 0.4f, yaw = 0.09f + 0.015f, pitch = -0.06f - 0.015f;
    matrix_translate(first, 0, 0, speed);  // moved along the old heading first
    matrix_rotate_y(first, -yaw);
    matrix_rotate_x(first, pitch);
    matrix_translate(second, 0, 0, speed);
    matrix_rotate_x(second, pitch);
    matrix_rotate_y(second, -yaw);
    EXPECT_TRUE(same_matrix(aircraft[0].matrix, first));
    EXPECT_TRUE(same_matrix(aircraft[1].matrix, second));
    EXPECT_FALSE(same_matrix(first, second));
}

TEST_F(Flight, FireLaunchesAShot31UnitsAheadEachFramePlayerOneFirst)
{
    matrix_translate(aircraft[1].matrix, 0, 0, 5000);
    matrix_rotate_y(aircraft[1].matrix, 3.0f);
    controls[0].fire = controls[1].fire = controls[0].accelerate = 1;
    flight_update();
    ASSERT_EQ(shot_count, 2);
    EXPECT_EQ(sounds, (std::vector<int32_t>{sound_shot, sound_shot}));
    EXPECT_EQ(shot_age[0], 0);
    EXPECT_EQ(shot_matrix[0].m[14], 0.5f + 31.0f);  // from where this frame's move left him
    Matrix4 muzzle = aircraft[1].matrix;
    matrix_translate(muzzle, 0, 0, 31);
    EXPECT_TRUE(same_matrix(shot_matrix[1], muzzle));
    for (int32_t k = 0; k < shot_capacity; ++k) launch_shot(aircraft[0].matrix);
    EXPECT_EQ(shot_count, shot_capacity);  // a launch into a full list is dropped
}

}  // namespace
