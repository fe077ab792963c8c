// lParam of WM_KEYDOWN and WM_KEYUP, built as the Win32 window system does:
// repeat count 1 in bits 0-15, bit 30 the previous key state (set for an
// auto-repeat and for every release), bit 31 set for a release.
#pragma once

#include <cstdint>

inline intptr_t key_message_lparam(int32_t down, int32_t repeat)
{
    uint32_t value = 1;
    if (!down || repeat) value |= 1u << 30;
    if (!down) value |= 1u << 31;
    return intptr_t(int32_t(value));
}
