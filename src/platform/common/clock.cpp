#include "platform/common/clock.h"

#include <chrono>

static const std::chrono::steady_clock::time_point program_start = std::chrono::steady_clock::now();

uint32_t platform_real_clock_ms()
{
    auto elapsed = std::chrono::steady_clock::now() - program_start;
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}
