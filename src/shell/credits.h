// The credits screen: a rippling picture and three waving lines.
#pragma once

#include <cstdint>

struct Texture;

constexpr int32_t credits_width = 320;
constexpr int32_t credits_height = 200;

extern Texture* quorba_texture;    // "Data\Quorba.tex"
extern uint32_t* credits_picture;  // 320 x 200, built from quorba_texture

extern int32_t warp_sine[256];
extern int32_t warp_rows[200];
extern uint8_t warp_phase_x;
extern uint8_t warp_phase_y;
extern uint8_t warp_speed_x;
extern uint8_t warp_speed_y;
extern double credits_phase[3];

// The ripple's and the lines' phases at their program-start values.
void reset_credits();
// credits_picture from quorba_texture: two transposed halves side by side,
// white (0xFFFFFFFF) where nothing is copied.
void build_credits_picture();
// Frees the texture and the picture.
void release_credits();
void build_warp_tables();
void credits_frame();
void warp_picture();
void wave_text(const char* text, int32_t x, int32_t y, double phase, int32_t n);
