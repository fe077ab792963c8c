// The game's pseudo-random generator: the classic C runtime's, so that the
// same seed gives the same game everywhere.
//   state = state * 214013 + 2531011; result = (state >> 16) & 0x7FFF
#pragma once

#include <cstdint>

void crt_srand(uint32_t seed);
int32_t crt_rand();  // 0 .. 32767
// The state crt_srand(crt_rand_state()) goes back to.
uint32_t crt_rand_state();
