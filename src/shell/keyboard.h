// The held-key flags of both players.
#pragma once

#include <cstdint>

struct PlayerControls {
    int32_t accelerate;
    int32_t brake;
    int32_t turn_left;
    int32_t turn_right;
    int32_t pitch_up;
    int32_t pitch_down;
    int32_t fire;
};

extern PlayerControls controls[2];

void key_down(uint32_t key);
void key_up(uint32_t key);
// All fourteen flags to 0.
void clear_controls();
