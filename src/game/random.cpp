#include "game/random.h"

namespace {
uint32_t rand_state = 1;
}

void crt_srand(uint32_t seed) { rand_state = seed; }

uint32_t crt_rand_state() { return rand_state; }

int32_t crt_rand()
{
    rand_state = rand_state * 214013u + 2531011u;
    return static_cast<int32_t>((rand_state >> 16) & 0x7FFF);
}
