// Real milliseconds since the program started.
#pragma once

#include <cstdint>

uint32_t platform_real_clock_ms();
