// Gamepads, as the game receives them in the pad messages of window.h
// (WM_PADDOWN, WM_PADUP, WM_PADAXIS, WM_PADPLUG, WM_PADUNPLUG). A pad is
// known by its number, 1 to pad_max, from the moment it is plugged until
// it is unplugged; its buttons and axes are those of the common game
// controller layout (a south button A, an east button B, two sticks, two
// shoulders, two triggers, a d-pad). A backend without pads simply sends
// none of these messages.
#pragma once

#include <cstdint>

constexpr int32_t pad_max = 4;

// Buttons: lparam of WM_PADDOWN and WM_PADUP.
enum : int32_t {
    pad_a,  // south
    pad_b,  // east
    pad_x,  // west
    pad_y,  // north
    pad_back,
    pad_guide,
    pad_start,
    pad_left_stick,
    pad_right_stick,
    pad_left_shoulder,
    pad_right_shoulder,
    pad_dpad_up,
    pad_dpad_down,
    pad_dpad_left,
    pad_dpad_right,
    pad_button_count,
};

// Axes. Sticks from -32768 (left, up) to 32767 (right, down); triggers
// from 0 (let go) to 32767 (pulled all the way).
enum : int32_t {
    pad_left_x,
    pad_left_y,
    pad_right_x,
    pad_right_y,
    pad_trigger_left,
    pad_trigger_right,
    pad_axis_count,
};

// lparam of WM_PADAXIS: the axis in the upper bits, the value in the low
// 16 bits.
constexpr intptr_t pad_axis_lparam(int32_t axis, int32_t value)
{
    return static_cast<intptr_t>((static_cast<uint32_t>(axis) << 16) | (static_cast<uint32_t>(value) & 0xFFFFu));
}
constexpr int32_t pad_axis_of(intptr_t lparam)
{
    return static_cast<int32_t>((static_cast<uintptr_t>(lparam) >> 16) & 0xFFFFu);
}
constexpr int32_t pad_value_of(intptr_t lparam)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uintptr_t>(lparam) & 0xFFFFu));
}
