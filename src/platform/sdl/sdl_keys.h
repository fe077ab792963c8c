// SDL key events to Win32 virtual-key codes.
//
// Letters follow the keyboard layout (the event's key code), as Windows'
// letter codes do; every other key is known by its position (scan code),
// named as on a US keyboard. The keypad follows Num Lock as on Windows:
// with Num Lock on its digits give VK_NUMPAD0..9 and its point VK_DECIMAL;
// with Num Lock off they give the navigation codes printed on the keys
// (Insert, End, Down, Page Down, Left, Clear, Right, Home, Up, Page Up,
// Delete). Keypad Enter gives VK_RETURN.
//
// The arguments are SDL_Scancode and SDL_Keycode values; this header keeps
// SDL out of whoever includes it.
#pragma once

#include <cstdint>

// Code of the key at this scan code (keypad with Num Lock on); 0 for a key
// the game's platform had no code for.
uint32_t sdl_scancode_vk(int32_t scancode);

// Code of a key event: the scan code, the layout's key code for it, and
// whether Num Lock is on. 0 for a key without a code.
uint32_t sdl_key_to_vk(int32_t scancode, int32_t keycode, int32_t numlock);
