#include "platform/sdl/sdl_keys.h"

#include "platform/keys.h"

#include <SDL.h>

#include <array>

namespace {

constexpr uint32_t VK_F13 = 0x7C;

constexpr std::array<uint32_t, SDL_NUM_SCANCODES> build_scancode_table()
{
    std::array<uint32_t, SDL_NUM_SCANCODES> table{};
    for (int i = 0; i < 26; ++i) table[SDL_SCANCODE_A + i] = 0x41 + i;
    for (int i = 0; i < 9; ++i) table[SDL_SCANCODE_1 + i] = 0x31 + i;
    table[SDL_SCANCODE_0] = 0x30;
    table[SDL_SCANCODE_RETURN] = VK_RETURN;
    table[SDL_SCANCODE_ESCAPE] = VK_ESCAPE;
    table[SDL_SCANCODE_BACKSPACE] = VK_BACK;
    table[SDL_SCANCODE_TAB] = VK_TAB;
    table[SDL_SCANCODE_SPACE] = VK_SPACE;
    table[SDL_SCANCODE_MINUS] = VK_OEM_MINUS;
    table[SDL_SCANCODE_EQUALS] = VK_OEM_PLUS;
    table[SDL_SCANCODE_LEFTBRACKET] = VK_OEM_4;
    table[SDL_SCANCODE_RIGHTBRACKET] = VK_OEM_6;
    table[SDL_SCANCODE_BACKSLASH] = VK_OEM_5;
    table[SDL_SCANCODE_NONUSHASH] = VK_OEM_5;
    table[SDL_SCANCODE_SEMICOLON] = VK_OEM_1;
    table[SDL_SCANCODE_APOSTROPHE] = VK_OEM_7;
    table[SDL_SCANCODE_GRAVE] = VK_OEM_3;
    table[SDL_SCANCODE_COMMA] = VK_OEM_COMMA;
    table[SDL_SCANCODE_PERIOD] = VK_OEM_PERIOD;
    table[SDL_SCANCODE_SLASH] = VK_OEM_2;
    table[SDL_SCANCODE_CAPSLOCK] = VK_CAPITAL;
    for (int i = 0; i < 12; ++i) table[SDL_SCANCODE_F1 + i] = VK_F1 + i;
    for (int i = 0; i < 12; ++i) table[SDL_SCANCODE_F13 + i] = VK_F13 + i;
    table[SDL_SCANCODE_PRINTSCREEN] = VK_SNAPSHOT;
    table[SDL_SCANCODE_SCROLLLOCK] = VK_SCROLL;
    table[SDL_SCANCODE_PAUSE] = VK_PAUSE;
    table[SDL_SCANCODE_INSERT] = VK_INSERT;
    table[SDL_SCANCODE_HOME] = VK_HOME;
    table[SDL_SCANCODE_PAGEUP] = VK_PRIOR;
    table[SDL_SCANCODE_DELETE] = VK_DELETE;
    table[SDL_SCANCODE_END] = VK_END;
    table[SDL_SCANCODE_PAGEDOWN] = VK_NEXT;
    table[SDL_SCANCODE_RIGHT] = VK_RIGHT;
    table[SDL_SCANCODE_LEFT] = VK_LEFT;
    table[SDL_SCANCODE_DOWN] = VK_DOWN;
    table[SDL_SCANCODE_UP] = VK_UP;
    table[SDL_SCANCODE_NUMLOCKCLEAR] = VK_NUMLOCK;
    table[SDL_SCANCODE_KP_DIVIDE] = VK_DIVIDE;
    table[SDL_SCANCODE_KP_MULTIPLY] = VK_MULTIPLY;
    table[SDL_SCANCODE_KP_MINUS] = VK_SUBTRACT;
    table[SDL_SCANCODE_KP_PLUS] = VK_ADD;
    table[SDL_SCANCODE_KP_ENTER] = VK_RETURN;
    for (int i = 0; i < 9; ++i) table[SDL_SCANCODE_KP_1 + i] = VK_NUMPAD0 + 1 + i;
    table[SDL_SCANCODE_KP_0] = VK_NUMPAD0;
    table[SDL_SCANCODE_KP_PERIOD] = VK_DECIMAL;
    table[SDL_SCANCODE_KP_COMMA] = VK_SEPARATOR;
    table[SDL_SCANCODE_NONUSBACKSLASH] = VK_OEM_102;
    table[SDL_SCANCODE_APPLICATION] = VK_APPS;
    table[SDL_SCANCODE_LCTRL] = VK_CONTROL;
    table[SDL_SCANCODE_RCTRL] = VK_CONTROL;
    table[SDL_SCANCODE_LSHIFT] = VK_SHIFT;
    table[SDL_SCANCODE_RSHIFT] = VK_SHIFT;
    table[SDL_SCANCODE_LALT] = VK_MENU;
    table[SDL_SCANCODE_RALT] = VK_MENU;
    table[SDL_SCANCODE_LGUI] = VK_LWIN;
    table[SDL_SCANCODE_RGUI] = VK_RWIN;
    return table;
}

constexpr std::array<uint32_t, SDL_NUM_SCANCODES> scancode_table = build_scancode_table();

static_assert(scancode_table[SDL_SCANCODE_A] == 0x41 && scancode_table[SDL_SCANCODE_Z] == 0x5A);
static_assert(scancode_table[SDL_SCANCODE_0] == 0x30 && scancode_table[SDL_SCANCODE_9] == 0x39);
static_assert(scancode_table[SDL_SCANCODE_KP_0] == 0x60 && scancode_table[SDL_SCANCODE_KP_9] == 0x69);
static_assert(scancode_table[SDL_SCANCODE_F12] == 0x7B);

// Keypad keys with Num Lock off: the navigation key printed on them.
uint32_t keypad_navigation(int32_t scancode)
{
    switch (scancode) {
    case SDL_SCANCODE_KP_0: return VK_INSERT;
    case SDL_SCANCODE_KP_1: return VK_END;
    case SDL_SCANCODE_KP_2: return VK_DOWN;
    case SDL_SCANCODE_KP_3: return VK_NEXT;
    case SDL_SCANCODE_KP_4: return VK_LEFT;
    case SDL_SCANCODE_KP_5: return VK_CLEAR;
    case SDL_SCANCODE_KP_6: return VK_RIGHT;
    case SDL_SCANCODE_KP_7: return VK_HOME;
    case SDL_SCANCODE_KP_8: return VK_UP;
    case SDL_SCANCODE_KP_9: return VK_PRIOR;
    case SDL_SCANCODE_KP_PERIOD: return VK_DELETE;
    default: return 0;
    }
}

// Punctuation that a layout puts on a US letter key (',' on the French M).
uint32_t punctuation_vk(int32_t keycode)
{
    switch (keycode) {
    case ';': return VK_OEM_1;
    case '=': return VK_OEM_PLUS;
    case ',': return VK_OEM_COMMA;
    case '-': return VK_OEM_MINUS;
    case '.': return VK_OEM_PERIOD;
    case '/': return VK_OEM_2;
    case '`': return VK_OEM_3;
    case '[': return VK_OEM_4;
    case '\\': return VK_OEM_5;
    case ']': return VK_OEM_6;
    case '\'': return VK_OEM_7;
    default: return 0;
    }
}

}  // namespace

uint32_t sdl_scancode_vk(int32_t scancode)
{
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
    return scancode_table[size_t(scancode)];
}

uint32_t sdl_key_to_vk(int32_t scancode, int32_t keycode, int32_t numlock)
{
    if (keycode >= 'a' && keycode <= 'z') return uint32_t(keycode - 'a' + 'A');
    uint32_t by_position = sdl_scancode_vk(scancode);
    if (by_position >= 'A' && by_position <= 'Z') {
        uint32_t punctuation = punctuation_vk(keycode);
        return punctuation ? punctuation : by_position;
    }
    if (!numlock) {
        uint32_t navigation = keypad_navigation(scancode);
        if (navigation) return navigation;
    }
    return by_position;
}
