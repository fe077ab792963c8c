// The flight model: speed and turn-rate rules, the order of the steps, the
// launch of shots.
#include <gtest/gtest.h>

#include <vector>

#include "game/aircraft.h"
#include "game/weapons.h"
#include "match_fixture.h"
#include "matrix_checks.h"
#include "shell/keyboard.h"

namespace {

class FlightTest : public MatchFixture {};

TEST_F(FlightTest, AcceleratingFromRestPassesTheCeilingForOneFrame)
{
    const std::vector<float> expected = {0.5f, 1.5f,  3.0f,  5.0f,  7.5f,  10.5f, 14.0f, 18.0f,
                                         22.5f, 27.5f, 33.0f, 39.0f, 45.5f, 52.5f, 50.0f, 50.0f,
                                         50.0f};
    controls[0].accelerate = 1;
    controls[1].accelerate = 1;
    float travelled = 0.0f;
    for (float speed : expected) {
        flight_update();
        travelled += speed;
        EXPECT_EQ(aircraft[0].speed, speed);
        EXPECT_EQ(aircraft[1].speed, speed);
        // Straight ahead along +Z by this frame's speed.
        EXPECT_EQ(aircraft[0].matrix.m[14], travelled);
        EXPECT_EQ(aircraft[0].matrix.m[12], 0.0f);
    }
    // The thrust keeps its value while the speed is held at the ceiling.
    EXPECT_EQ(aircraft[0].thrust, 7.0f);
    // Coasting drops the thrust at once.
    controls[0].accelerate = 0;
    flight_update();
    EXPECT_EQ(aircraft[0].thrust, 0.0f);
    EXPECT_EQ(aircraft[0].speed, 50.0f - 0.4f);
}

TEST_F(FlightTest, BrakingFromFullSpeedDriftsBackForOneFrame)
{
    aircraft[0].speed = 50.0f;
    aircraft[0].thrust = 7.0f;
    controls[0].brake = 1;
    int32_t frames = 0;
    while (aircraft[0].speed >= 0.0f) {
        flight_update();
        ++frames;
        ASSERT_LT(frames, 100);
    }
    EXPECT_EQ(frames, 46);
    EXPECT_EQ(aircraft[0].thrust, 0.0f);
    EXPECT_NEAR(aircraft[0].speed, -0.6f, 1e-4f);
    // That frame moved the aeroplane backwards by the negative speed.
    const float before = aircraft[0].matrix.m[14];
    flight_update();
    EXPECT_EQ(aircraft[0].speed, 0.0f);
    EXPECT_EQ(aircraft[0].matrix.m[14], before);
    // Braking at rest leaves the thrust as it is.
    aircraft[0].thrust = 3.0f;
    flight_update();
    EXPECT_EQ(aircraft[0].speed, 0.0f);
    EXPECT_EQ(aircraft[0].thrust, 3.0f);
}

TEST_F(FlightTest, CoastingGlidesToAStandstillAndStaysThere)
{
    aircraft[1].speed = 50.0f;
    int32_t frames = 0;
    while (aircraft[1].speed > 0.0f) {
        flight_update();
        ++frames;
        ASSERT_LT(frames, 200);
    }
    EXPECT_EQ(frames, 125);
    flight_update();
    EXPECT_EQ(aircraft[1].speed, 0.0f);
    // At rest with no turn rate nothing changes at all.
    const Matrix4 still = aircraft[1].matrix;
    for (int k = 0; k < 10; ++k) flight_update();
    EXPECT_TRUE(same_matrix(aircraft[1].matrix, still));
}

TEST_F(FlightTest, TurnRateOvershootsOnceThenHoldsAndDecaysToZero)
{
    controls[0].turn_left = 1;
    controls[1].pitch_down = 1;
    for (int k = 0; k < 10; ++k) flight_update();
    EXPECT_NEAR(aircraft[0].yaw_rate, 0.150f, 1e-7f);
    EXPECT_NEAR(aircraft[1].pitch_rate, -0.150f, 1e-7f);
    flight_update();
    EXPECT_NEAR(aircraft[0].yaw_rate, 0.165f, 1e-7f);
    EXPECT_NEAR(aircraft[1].pitch_rate, -0.165f, 1e-7f);
    for (int k = 0; k < 3; ++k) {
        flight_update();
        EXPECT_EQ(aircraft[0].yaw_rate, 0.15707964f);
        EXPECT_EQ(aircraft[1].pitch_rate, -0.15707964f);
    }
    clear_controls();
    const float decay[] = {0.12707964f, 0.09707964f, 0.06707964f, 0.03707964f, 0.00707964f};
    for (float rate : decay) {
        flight_update();
        EXPECT_NEAR(aircraft[0].yaw_rate, rate, 2e-8f);
        EXPECT_NEAR(aircraft[1].pitch_rate, -rate, 2e-8f);
    }
    flight_update();
    EXPECT_EQ(aircraft[0].yaw_rate, 0.0f);
    EXPECT_EQ(aircraft[1].pitch_rate, 0.0f);
    flight_update();
    EXPECT_EQ(aircraft[0].yaw_rate, 0.0f);
}

TEST_F(FlightTest, ConflictingKeysFavourAccelerateLeftAndUp)
{
    controls[0] = PlayerControls{1, 1, 1, 1, 1, 1, 0};
    controls[1] = PlayerControls{1, 1, 1, 1, 1, 1, 0};
    flight_update();
    flight_update();
    for (const Aircraft& a : aircraft) {
        EXPECT_EQ(a.speed, 1.5f);
        EXPECT_EQ(a.yaw_rate, 0.015f + 0.015f);
        EXPECT_EQ(a.pitch_rate, 0.015f + 0.015f);
    }
    // Lowering keys alone.
    controls[0] = PlayerControls{0, 0, 0, 1, 0, 1, 0};
    for (int k = 0; k < 4; ++k) flight_update();
    EXPECT_LT(aircraft[0].yaw_rate, 0.0f);
    EXPECT_LT(aircraft[0].pitch_rate, 0.0f);
}

TEST_F(FlightTest, LeftTurnsTheNoseLeftAndUpRaisesIt)
{
    controls[0].turn_left = 1;
    controls[1].pitch_up = 1;
    flight_update();
    // Row 2 is the nose: own -X is the left of the screen, own -Y its top.
    EXPECT_LT(aircraft[0].matrix.m[8], 0.0f);
    EXPECT_EQ(aircraft[0].matrix.m[9], 0.0f);
    EXPECT_LT(aircraft[1].matrix.m[9], 0.0f);
    EXPECT_EQ(aircraft[1].matrix.m[8], 0.0f);
}

TEST_F(FlightTest, PlayerOneTurnsAboutYBeforeXAndPlayerTwoTheOtherWay)
{
    Matrix4 start;
    matrix_identity(start);
    matrix_rotate_z(start, 0.7f);
    start.m[12] = 10.0f;
    aircraft[0].matrix = start;
    aircraft[1].matrix = start;
    for (Aircraft& a : aircraft) {
        a.speed = 20.0f;
        a.yaw_rate = 0.09f;
        a.pitch_rate = -0.06f;
    }
    controls[0].turn_left = controls[1].turn_left = 1;
    controls[0].pitch_down = controls[1].pitch_down = 1;
    flight_update();

    const float yaw = 0.09f + 0.015f;
    const float pitch = -0.06f - 0.015f;
    const float speed = 20.0f - 0.4f;
    Matrix4 first = start;
    matrix_translate(first, 0, 0, speed);
    matrix_rotate_y(first, -yaw);
    matrix_rotate_x(first, pitch);
    Matrix4 second = start;
    matrix_translate(second, 0, 0, speed);
    matrix_rotate_x(second, pitch);
    matrix_rotate_y(second, -yaw);
    EXPECT_TRUE(same_matrix(aircraft[0].matrix, first));
    EXPECT_TRUE(same_matrix(aircraft[1].matrix, second));
    EXPECT_FALSE(same_matrix(first, second));
    // Moving came first: the position changed along the old heading only.
    EXPECT_EQ(aircraft[0].matrix.m[12], first.m[12]);
}

TEST_F(FlightTest, FireLaunchesOneShotPerPlayerAndFramePlayerOneFirst)
{
    aircraft[1].matrix = placed_at(0, 0, 5000);
    matrix_rotate_y(aircraft[1].matrix, 3.0f);
    controls[0].fire = 1;
    controls[1].fire = 1;
    flight_update();
    ASSERT_EQ(shot_count, 2);
    EXPECT_EQ((std::vector<int32_t>{2, 2}), sounds);
    EXPECT_EQ(shot_age[0], 0);
    EXPECT_EQ(shot_age[1], 0);
    // 31 units ahead of each nose, same orientation as the shooter.
    EXPECT_EQ(shot_matrix[0].m[14], 31.0f);
    Matrix4 muzzle = aircraft[1].matrix;
    matrix_translate(muzzle, 0, 0, 31.0f);
    EXPECT_TRUE(same_matrix(shot_matrix[1], muzzle));
    // The shot leaves from where the aeroplane stands after this frame's move.
    controls[0].accelerate = 1;
    flight_update();
    EXPECT_EQ(shot_count, 4);
    EXPECT_EQ(shot_matrix[2].m[14], 0.5f + 31.0f);
}

}  // namespace
