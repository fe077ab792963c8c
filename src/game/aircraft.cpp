#include "game/aircraft.h"

#include "engine/math3d.h"
#include "game/weapons.h"
#include "shell/keyboard.h"

Aircraft aircraft[2];

namespace {

constexpr float thrust_step = 0.5f;
constexpr float speed_ceiling = 50.0f;
constexpr float coast_deceleration = 0.4f;
constexpr float brake_deceleration = 1.1f;
constexpr float rate_step = 0.015f;
// The limit is tested against one value and clamped to another; both are
// written as they have always been (as floats they are the same number).
constexpr float rate_limit_test = 0.15707963f;
constexpr float rate_limit_value = 0.15707964f;
constexpr float rate_decay = 0.03f;

// One branch per frame; the test comes before the increase, so the speed
// passes the ceiling for one frame (52.5) before it is clamped.
void speed_rule(Aircraft& a, const PlayerControls& c)
{
    if (c.accelerate != 0) {
        if (a.speed < speed_ceiling) {
            a.thrust += thrust_step;
            a.speed += a.thrust;
        } else {
            a.speed = speed_ceiling;
        }
    } else if (c.brake != 0) {
        if (a.speed <= 0.0f) {
            a.speed = 0.0f;
        } else {
            a.thrust = 0.0f;
            a.speed -= brake_deceleration;
        }
    } else {
        a.thrust = 0.0f;
        if (a.speed <= 0.0f) {
            a.speed = 0.0f;
        } else {
            a.speed -= coast_deceleration;
        }
    }
}

// The raising key wins over the lowering key; with neither held the rate
// decays towards 0 without crossing it.
void rate_rule(float& rate, int32_t raise, int32_t lower)
{
    if (raise != 0) {
        if (rate < rate_limit_test) {
            rate += rate_step;
        } else {
            rate = rate_limit_value;
        }
    } else if (lower != 0) {
        if (rate <= -rate_limit_test) {
            rate = -rate_limit_value;
        } else {
            rate -= rate_step;
        }
    } else if (rate > 0.0f) {
        rate -= rate_decay;
        if (rate < 0.0f) {
            rate = 0.0f;
        }
    } else if (rate < 0.0f) {
        rate += rate_decay;
        if (rate > 0.0f) {
            rate = 0.0f;
        }
    }
}

void move(Aircraft& a, const PlayerControls& c)
{
    speed_rule(a, c);
    matrix_translate(a.matrix, 0.0f, 0.0f, a.speed);
}

void yaw(Aircraft& a, const PlayerControls& c)
{
    rate_rule(a.yaw_rate, c.turn_left, c.turn_right);
    matrix_rotate_y(a.matrix, -a.yaw_rate);
}

void pitch(Aircraft& a, const PlayerControls& c)
{
    rate_rule(a.pitch_rate, c.pitch_up, c.pitch_down);
    matrix_rotate_x(a.matrix, a.pitch_rate);
}

}  // namespace

void reset_aircraft()
{
    for (Aircraft& a : aircraft) {
        a = Aircraft{};
    }
}

void flight_update()
{
    // Both move before they turn. Player 1 turns about Y, then X; player 2
    // about X, then Y: each keeps its own order.
    move(aircraft[0], controls[0]);
    yaw(aircraft[0], controls[0]);
    pitch(aircraft[0], controls[0]);

    move(aircraft[1], controls[1]);
    pitch(aircraft[1], controls[1]);
    yaw(aircraft[1], controls[1]);

    // Player 1's shot of a frame takes the slot before player 2's.
    for (int32_t p = 0; p < 2; ++p) {
        if (controls[p].fire != 0) {
            launch_shot(aircraft[p].matrix);
        }
    }
}
