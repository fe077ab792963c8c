// The two aeroplanes and the flight model.
#pragma once

#include <cstdint>

#include "engine/math3d.h"

struct Aircraft {
    Matrix4 matrix;   // rows 0-2 own X (right), Y (down), Z (nose); row 3 position
    float speed;      // forward units per frame
    float thrust;     // speed gained this frame while accelerating
    float yaw_rate;   // radians per frame about own Y, positive turns left
    float pitch_rate; // radians per frame about own X, positive raises the nose
    int32_t energy;   // 100 at round start, -5 per hit, negative = destroyed
    int32_t frags;
    int32_t explosion_frame;
};

// Index 0 is player 1 (left half), 1 is player 2 (right half). Outside a
// match aircraft[0].matrix is the intro's camera.
extern Aircraft aircraft[2];

// Both records zeroed.
void reset_aircraft();
// Moves and turns both aeroplanes from the held keys and launches the shots
// of players holding fire (player 1 first).
void flight_update();
