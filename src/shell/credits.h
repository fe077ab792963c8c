// The credits screen: a rippling picture and three waving lines.
#pragma once

#include <cstdint>

extern int32_t warp_sine[256];
extern int32_t warp_rows[200];
extern uint8_t warp_phase_x;
extern uint8_t warp_phase_y;
extern uint8_t warp_speed_x;
extern uint8_t warp_speed_y;
extern double credits_phase[3];

void build_warp_tables();
void credits_frame();
void warp_picture();
void wave_text(const char* text, int32_t x, int32_t y, double phase, int32_t n);
