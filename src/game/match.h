// The split-screen match frame.
#pragma once

#include <cstdint>

#include "engine/math3d.h"

// One player's view as the frame is composed: (res_y / 2) x res_x pixels.
extern uint32_t* view_buffer;
// While a view is drawn straight into the frame, its first pixel (its rows
// engine.target_stride apart); otherwise null, and views go to view_buffer.
extern uint32_t* drawn_view;
// The identity; each view combines it with the viewer's inverted matrix.
extern Matrix4 base_matrix;

// Pixels of the view buffer for a screen: (height / 2) x width, or the
// (width / 2) x height of one player's view when that is more (odd
// heights). Negative for a negative size.
int64_t view_buffer_pixels(int32_t width, int32_t height);

// How many numbers a dead player's noise draws from the random generator:
// 0, one per pixel of the view; otherwise this many whatever the view, so
// that two machines with screens of their own sizes keep one game (a
// network match: the host's view).
extern int64_t noise_draws;

// One frame of the match: collision and death checks, flight, both views,
// the frag sequence, present.
void match_frame();
// Player v's view into its half of the frame: drawn there directly when the
// engine's size is the view's, else into view_buffer and copied.
void draw_player_view(int32_t viewer);
