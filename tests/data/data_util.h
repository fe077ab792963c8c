// Shared helpers of the game data tests: the generated game directory as
// the working directory, and small picture utilities.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scratch_dir.h"

// Runs a test body with the game directory as the working directory, the
// way the game reads its files.
struct InGameDir {
    ScopedWorkingDirectory cwd{VALKRON_GAME_DIR};
};

inline const char* const plane_names[6] = {"Happy", "Goliash 215", "Titan Hs", "Lizard 372", "Lizard 486", "Needle"};

constexpr uint32_t key_colour = 0x0000FCFF;

// The aiming mark's transparency rule of start-up: clearly red becomes 0.
inline bool clearly_red(uint32_t v)
{
    return (v >> 16) > (v & 0xFF) + 10 && (v >> 16) > ((v >> 8) & 0xFF) + 10;
}

inline int red_of(uint32_t p) { return int((p >> 16) & 0xFF); }
inline int green_of(uint32_t p) { return int((p >> 8) & 0xFF); }
inline int blue_of(uint32_t p) { return int(p & 0xFF); }
