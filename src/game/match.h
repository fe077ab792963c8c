// The split-screen match frame.
#pragma once

#include <cstdint>

// One frame of the match: collision and death checks, flight, both views,
// the frag sequence, present.
void match_frame();
// Player v's view into view_buffer, then copied into its half of the frame.
void draw_player_view(int32_t viewer);
