// The key table, checked against the USB HID usage numbers that SDL's scan
// codes are and the virtual-key codes of a Windows keyboard.
#include "platform/keys.h"
#include "platform/sdl/sdl_keys.h"

#include <gtest/gtest.h>

namespace {

// A key of a US layout: letters type their small letter, others no character.
uint32_t us_key(int32_t scancode, int32_t numlock = 1)
{
    return sdl_key_to_vk(scancode, scancode >= 4 && scancode <= 29 ? 'a' + scancode - 4 : scancode | (1 << 30), numlock);
}

}  // namespace

TEST(SdlKeys, EveryKeyOfAUsKeyboard)
{
    for (int32_t i = 0; i < 26; ++i) EXPECT_EQ(us_key(4 + i), uint32_t('A' + i));        // a..z
    for (int32_t i = 0; i < 9; ++i) EXPECT_EQ(us_key(30 + i), uint32_t('1' + i));        // 1..9
    for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(us_key(58 + i), uint32_t(VK_F1 + i));     // F1..F12
    for (int32_t i = 0; i < 9; ++i) EXPECT_EQ(us_key(89 + i), uint32_t(VK_NUMPAD0 + 1 + i));  // keypad 1..9
    const struct {
        int32_t scancode;
        uint32_t vk;
    } keys[] = {
        {39, '0'},           {40, VK_RETURN},     {41, VK_ESCAPE},    {42, VK_BACK},        {43, VK_TAB},
        {44, VK_SPACE},      {45, VK_OEM_MINUS},  {46, VK_OEM_PLUS},  {47, VK_OEM_4},       {48, VK_OEM_6},
        {49, VK_OEM_5},      {50, VK_OEM_5},      {51, VK_OEM_1},     {52, VK_OEM_7},       {53, VK_OEM_3},
        {54, VK_OEM_COMMA},  {55, VK_OEM_PERIOD}, {56, VK_OEM_2},     {57, VK_CAPITAL},     {70, VK_SNAPSHOT},
        {71, VK_SCROLL},     {72, VK_PAUSE},      {73, VK_INSERT},    {74, VK_HOME},        {75, VK_PRIOR},
        {76, VK_DELETE},     {77, VK_END},        {78, VK_NEXT},      {79, VK_RIGHT},       {80, VK_LEFT},
        {81, VK_DOWN},       {82, VK_UP},         {83, VK_NUMLOCK},   {84, VK_DIVIDE},      {85, VK_MULTIPLY},
        {86, VK_SUBTRACT},   {87, VK_ADD},        {88, VK_RETURN},    {98, VK_NUMPAD0},     {99, VK_DECIMAL},
        {100, VK_OEM_102},   {101, VK_APPS},      {224, VK_CONTROL},  {225, VK_SHIFT},      {226, VK_MENU},
        {227, VK_LWIN},      {228, VK_CONTROL},   {229, VK_SHIFT},    {230, VK_MENU},       {231, VK_RWIN},
    };
    for (const auto& key : keys) EXPECT_EQ(us_key(key.scancode), key.vk) << key.scancode;
}

TEST(SdlKeys, TheKeypadFollowsNumLockAndTheNavigationKeysDoNot)
{
    const uint32_t off[11] = {VK_INSERT, VK_END,  VK_DOWN, VK_NEXT, VK_LEFT, VK_CLEAR,
                              VK_RIGHT,  VK_HOME, VK_UP,   VK_PRIOR, VK_DELETE};  // keypad 0..9 and its point
    EXPECT_EQ(us_key(98, 0), off[0]);
    for (int32_t i = 0; i < 9; ++i) EXPECT_EQ(us_key(89 + i, 0), off[1 + i]) << i;
    EXPECT_EQ(us_key(99, 0), off[10]);
    for (int32_t scancode : {84, 85, 86, 87, 88, 73, 74, 82}) EXPECT_EQ(us_key(scancode, 0), us_key(scancode, 1));
}

TEST(SdlKeys, LettersFollowTheLayoutAndOtherKeysTheirPlace)
{
    EXPECT_EQ(sdl_key_to_vk(20, 'a', 1), uint32_t('A'));             // AZERTY: A where US has Q
    EXPECT_EQ(sdl_key_to_vk(51, 'm', 1), uint32_t('M'));             // M where US has ;
    EXPECT_EQ(sdl_key_to_vk(16, ',', 1), uint32_t(VK_OEM_COMMA));    // , where US has M
    EXPECT_EQ(sdl_key_to_vk(9, 0x0430, 1), uint32_t('F'));           // a Cyrillic letter: its place's
    EXPECT_EQ(sdl_key_to_vk(30, '&', 1), uint32_t('1'));             // digits by place
    // Keys without a code; every code the table gives is a real one.
    EXPECT_EQ(sdl_key_to_vk(0, 0, 1), 0u);
    EXPECT_EQ(sdl_key_to_vk(300, 300 | (1 << 30), 1), 0u);
    for (int32_t scancode : {0, -1, 100000}) EXPECT_EQ(sdl_scancode_vk(scancode), 0u);
    for (int32_t scancode = 0; scancode < 512; ++scancode) {
        EXPECT_LT(sdl_scancode_vk(scancode), 0xFFu) << scancode;
        EXPECT_NE(sdl_scancode_vk(scancode), uint32_t(VK_CLEAR)) << scancode;  // only keypad 5 without Num Lock
    }
}
