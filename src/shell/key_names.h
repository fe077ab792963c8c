// Keys and pad inputs by name, as key scripts and the settings file write
// them: letters and digits as themselves, Up Down Left Right Insert Delete
// Home End Escape Enter Backspace Space, F1 to F12, Num0 to Num9, or a
// virtual-key code as a number (0x26 or 38); pad buttons and axes by the
// names of the common controller layout (A, DpadLeft, LeftX, ...). Names
// are read without regard to letter case.
#pragma once

#include <cstdint>
#include <string>

// The virtual-key code of a name; false for an unknown one.
bool parse_key_name(const char* name, uint32_t& key);
// The name parse_key_name reads back as the key (a number for keys
// without one; keys above 0xFF as their low byte).
std::string key_name(uint32_t key);

// A pad button (A B X Y Back Guide Start LeftStick RightStick LeftShoulder
// RightShoulder DpadUp DpadDown DpadLeft DpadRight) or axis (LeftX LeftY
// RightX RightY TriggerLeft TriggerRight) of platform/pads.h; -1 for an
// unknown name.
int32_t pad_button_by_name(const char* name);
int32_t pad_axis_by_name(const char* name);
