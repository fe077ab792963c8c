// The key table, checked against the USB HID usage numbers that SDL's scan
// codes are.
#include "platform/keys.h"
#include "platform/sdl/sdl_keys.h"

#include <gtest/gtest.h>

namespace {

// USB HID keyboard usage ids (= SDL scan codes).
enum : int32_t {
    hid_a = 4, hid_z = 29, hid_1 = 30, hid_9 = 38, hid_0 = 39,
    hid_return = 40, hid_escape = 41, hid_backspace = 42, hid_tab = 43, hid_space = 44,
    hid_minus = 45, hid_equals = 46, hid_lbracket = 47, hid_rbracket = 48, hid_backslash = 49,
    hid_nonus_hash = 50, hid_semicolon = 51, hid_apostrophe = 52, hid_grave = 53, hid_comma = 54,
    hid_period = 55, hid_slash = 56, hid_capslock = 57, hid_f1 = 58, hid_f12 = 69,
    hid_printscreen = 70, hid_scrolllock = 71, hid_pause = 72, hid_insert = 73, hid_home = 74,
    hid_pageup = 75, hid_delete = 76, hid_end = 77, hid_pagedown = 78, hid_right = 79,
    hid_left = 80, hid_down = 81, hid_up = 82, hid_numlock = 83, hid_kp_divide = 84,
    hid_kp_multiply = 85, hid_kp_minus = 86, hid_kp_plus = 87, hid_kp_enter = 88, hid_kp_1 = 89,
    hid_kp_9 = 97, hid_kp_0 = 98, hid_kp_period = 99, hid_nonus_backslash = 100,
    hid_application = 101, hid_lctrl = 224, hid_lshift = 225, hid_lalt = 226, hid_lgui = 227,
    hid_rctrl = 228, hid_rshift = 229, hid_ralt = 230, hid_rgui = 231,
};

// Key codes of keys that type no character (SDL: scan code | 1 << 30).
constexpr int32_t keycode_of(int32_t scancode)
{
    return scancode | (1 << 30);
}

uint32_t us_key(int32_t scancode, int32_t numlock = 1)
{
    int32_t keycode = scancode >= hid_a && scancode <= hid_z ? 'a' + (scancode - hid_a) : keycode_of(scancode);
    return sdl_key_to_vk(scancode, keycode, numlock);
}

}  // namespace

TEST(SdlKeys, LettersDigitsAndFunctionKeys)
{
    for (int32_t i = 0; i < 26; ++i) {
        EXPECT_EQ(sdl_scancode_vk(hid_a + i), uint32_t('A' + i));
        EXPECT_EQ(us_key(hid_a + i), uint32_t('A' + i));
    }
    for (int32_t i = 0; i < 9; ++i) EXPECT_EQ(us_key(hid_1 + i), uint32_t('1' + i));
    EXPECT_EQ(us_key(hid_0), uint32_t('0'));
    EXPECT_EQ(us_key(hid_9), uint32_t('9'));
    for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(us_key(hid_f1 + i), VK_F1 + i);
    EXPECT_EQ(us_key(hid_f12), 0x7Bu);
}

TEST(SdlKeys, EditingAndNavigationKeys)
{
    EXPECT_EQ(us_key(hid_return), 0x0Du);
    EXPECT_EQ(us_key(hid_kp_enter), 0x0Du);
    EXPECT_EQ(us_key(hid_escape), 0x1Bu);
    EXPECT_EQ(us_key(hid_backspace), 0x08u);
    EXPECT_EQ(us_key(hid_tab), 0x09u);
    EXPECT_EQ(us_key(hid_space), 0x20u);
    EXPECT_EQ(us_key(hid_left), 0x25u);
    EXPECT_EQ(us_key(hid_up), 0x26u);
    EXPECT_EQ(us_key(hid_right), 0x27u);
    EXPECT_EQ(us_key(hid_down), 0x28u);
    EXPECT_EQ(us_key(hid_insert), 0x2Du);
    EXPECT_EQ(us_key(hid_delete), 0x2Eu);
    EXPECT_EQ(us_key(hid_home), 0x24u);
    EXPECT_EQ(us_key(hid_end), 0x23u);
    EXPECT_EQ(us_key(hid_pageup), 0x21u);
    EXPECT_EQ(us_key(hid_pagedown), 0x22u);
    // Navigation keys do not depend on Num Lock.
    EXPECT_EQ(us_key(hid_home, 0), 0x24u);
    EXPECT_EQ(us_key(hid_up, 0), 0x26u);
}

TEST(SdlKeys, KeypadFollowsNumLock)
{
    for (int32_t i = 0; i < 9; ++i) EXPECT_EQ(us_key(hid_kp_1 + i, 1), uint32_t(0x61 + i));
    EXPECT_EQ(us_key(hid_kp_0, 1), 0x60u);
    EXPECT_EQ(us_key(hid_kp_9, 1), 0x69u);
    EXPECT_EQ(us_key(hid_kp_period, 1), uint32_t(VK_DECIMAL));

    const uint32_t off[10] = {VK_INSERT, VK_END, VK_DOWN, VK_NEXT, VK_LEFT, VK_CLEAR,
                              VK_RIGHT, VK_HOME, VK_UP, VK_PRIOR};
    EXPECT_EQ(us_key(hid_kp_0, 0), off[0]);
    for (int32_t i = 0; i < 9; ++i) EXPECT_EQ(us_key(hid_kp_1 + i, 0), off[1 + i]) << i;
    EXPECT_EQ(us_key(hid_kp_period, 0), uint32_t(VK_DELETE));

    // Operators and Enter whatever Num Lock says.
    for (int32_t numlock = 0; numlock < 2; ++numlock) {
        EXPECT_EQ(us_key(hid_kp_multiply, numlock), 0x6Au);
        EXPECT_EQ(us_key(hid_kp_plus, numlock), 0x6Bu);
        EXPECT_EQ(us_key(hid_kp_minus, numlock), 0x6Du);
        EXPECT_EQ(us_key(hid_kp_divide, numlock), 0x6Fu);
        EXPECT_EQ(us_key(hid_kp_enter, numlock), 0x0Du);
    }
    // The keypad's digits are not the main keyboard's.
    EXPECT_NE(us_key(hid_kp_1, 1), uint32_t('1'));
}

TEST(SdlKeys, ModifiersLocksAndPunctuation)
{
    EXPECT_EQ(us_key(hid_lshift), 0x10u);
    EXPECT_EQ(us_key(hid_rshift), 0x10u);
    EXPECT_EQ(us_key(hid_lctrl), 0x11u);
    EXPECT_EQ(us_key(hid_rctrl), 0x11u);
    EXPECT_EQ(us_key(hid_lalt), 0x12u);
    EXPECT_EQ(us_key(hid_ralt), 0x12u);
    EXPECT_EQ(us_key(hid_lgui), 0x5Bu);
    EXPECT_EQ(us_key(hid_rgui), 0x5Cu);
    EXPECT_EQ(us_key(hid_application), 0x5Du);
    EXPECT_EQ(us_key(hid_capslock), 0x14u);
    EXPECT_EQ(us_key(hid_numlock), 0x90u);
    EXPECT_EQ(us_key(hid_scrolllock), 0x91u);
    EXPECT_EQ(us_key(hid_pause), 0x13u);
    EXPECT_EQ(us_key(hid_printscreen), 0x2Cu);

    EXPECT_EQ(us_key(hid_semicolon), 0xBAu);
    EXPECT_EQ(us_key(hid_equals), 0xBBu);
    EXPECT_EQ(us_key(hid_comma), 0xBCu);
    EXPECT_EQ(us_key(hid_minus), 0xBDu);
    EXPECT_EQ(us_key(hid_period), 0xBEu);
    EXPECT_EQ(us_key(hid_slash), 0xBFu);
    EXPECT_EQ(us_key(hid_grave), 0xC0u);
    EXPECT_EQ(us_key(hid_lbracket), 0xDBu);
    EXPECT_EQ(us_key(hid_backslash), 0xDCu);
    EXPECT_EQ(us_key(hid_nonus_hash), 0xDCu);
    EXPECT_EQ(us_key(hid_rbracket), 0xDDu);
    EXPECT_EQ(us_key(hid_apostrophe), 0xDEu);
    EXPECT_EQ(us_key(hid_nonus_backslash), 0xE2u);
}

TEST(SdlKeys, LettersFollowTheLayout)
{
    // French AZERTY: the key at the US Q types 'a', the one at the US ';'
    // types 'm', the one at the US M types ','.
    EXPECT_EQ(sdl_key_to_vk(hid_a + ('q' - 'a'), 'a', 1), uint32_t('A'));
    EXPECT_EQ(sdl_key_to_vk(hid_semicolon, 'm', 1), uint32_t('M'));
    EXPECT_EQ(sdl_key_to_vk(hid_a + ('m' - 'a'), ',', 1), uint32_t(VK_OEM_COMMA));
    // A non-Latin layout's letter keys keep their position's letter.
    EXPECT_EQ(sdl_key_to_vk(hid_a + ('f' - 'a'), 0x0430, 1), uint32_t('F'));
    // Digits go by position whatever the layout types on them.
    EXPECT_EQ(sdl_key_to_vk(hid_1, '&', 1), uint32_t('1'));
}

TEST(SdlKeys, UnknownKeysHaveNoCode)
{
    EXPECT_EQ(sdl_scancode_vk(0), 0u);
    EXPECT_EQ(sdl_scancode_vk(-1), 0u);
    EXPECT_EQ(sdl_scancode_vk(100000), 0u);
    EXPECT_EQ(sdl_key_to_vk(0, 0, 1), 0u);
    EXPECT_EQ(sdl_key_to_vk(300, keycode_of(300), 1), 0u);  // beyond the table's keys
    // Every code the table gives is a real virtual-key code.
    for (int32_t scancode = 0; scancode < 512; ++scancode) {
        uint32_t vk = sdl_scancode_vk(scancode);
        EXPECT_LT(vk, 0xFFu) << scancode;
        EXPECT_NE(vk, 0x0Cu) << scancode;  // Clear only comes from keypad 5 with Num Lock off
    }
}
