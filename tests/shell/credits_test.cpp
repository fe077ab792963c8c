// The credits: the picture built from the Quorba texture, the ripple, the
// waving lines.
#include <cmath>
#include <cstring>

#include "engine/engine.h"
#include "game/random.h"
#include "platform/keys.h"
#include "shell/credits.h"
#include "shell/menu.h"
#include "game/match.h"
#include "game/weapons.h"
#include "game/world.h"
#include "shell/credits.h"
#include "shell/pictures.h"
#include "shell/screens.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/window_proc.h"
#include "shell_fixture.h"

namespace {

TEST(WarpTables, SineRunsFromMinusFourToFourAndRowsStep320)
{
    build_warp_tables();
    int32_t lowest = 0, highest = 0;
    for (int32_t i = 0; i < 256; ++i) {
        lowest = std::min(lowest, warp_sine[i]);
        highest = std::max(highest, warp_sine[i]);
        EXPECT_EQ(warp_sine[i], static_cast<int32_t>(5.0 * std::sin(i * 0.0245436921875))) << i;
    }
    EXPECT_EQ(lowest, -4);
    EXPECT_EQ(highest, 4);
    EXPECT_EQ(warp_sine[0], 0);
    EXPECT_EQ(warp_sine[64], 4);    // 5 x sin(pi/2) truncates to 4
    EXPECT_EQ(warp_sine[192], -4);
    EXPECT_EQ(warp_sine[10], 1);    // 5 x sin(0.245) = 1.21
    EXPECT_EQ(warp_sine[128], 0);
    for (int32_t i = 0; i < 200; ++i) {
        EXPECT_EQ(warp_rows[i], 320 * i);
    }
}

class CreditsTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        start_menu(400, 300);
        credits_active = 1;
        frame.assign(static_cast<size_t>(res_x) * res_y, background);
        engine.frame_buffer = frame.data();
    }
    void TearDown() override
    {
        build_warp_tables();
        engine.frame_buffer = nullptr;
        ShellTest::TearDown();
    }
    uint32_t at(int32_t x, int32_t y) const { return frame[static_cast<size_t>(y) * res_x + x]; }
    uint32_t picture(int32_t x, int32_t y) const { return credits_picture[y * credits_width + x]; }

    static constexpr uint32_t background = 0x00010203;
    std::vector<uint32_t> frame;
};

TEST_F(CreditsTest, ThePictureIsTwoTransposedHalvesOfTheTexture)
{
    // Pixel (y, x) of the picture from texel (row, column) of the texture.
    for (int32_t c = 0; c < 128; c += 9) {
        for (int32_t k = 0; k < 172; k += 7) {
            EXPECT_EQ(picture(184 + c, k), quorba_test_texel(128 + c, 28 + k));
            EXPECT_EQ(picture(8 + c, k), quorba_test_texel(c, 28 + k));
        }
    }
    EXPECT_EQ(picture(311, 171), quorba_test_texel(255, 199));
    EXPECT_EQ(picture(135, 0), quorba_test_texel(127, 28));
    // Texels of the key colour are not copied: the picture stays white there.
    quorba_texture->pixels[(128 + 5) * 256 + 28 + 10] = key_colour;
    quorba_texture->pixels[7 * 256 + 28 + 3] = key_colour;
    build_credits_picture();
    EXPECT_EQ(picture(184 + 5, 10), 0xFFFFFFFFu);
    EXPECT_EQ(picture(8 + 7, 3), 0xFFFFFFFFu);
    EXPECT_EQ(picture(184 + 5, 11), quorba_test_texel(133, 39));
    // Outside the two halves and below row 171 the picture is white.
    for (int32_t x : {0, 7, 136, 183, 312, 319}) {
        for (int32_t y : {0, 100, 171}) {
            EXPECT_EQ(picture(x, y), 0xFFFFFFFFu) << x << "," << y;
        }
    }
    for (int32_t x : {8, 100, 200, 311}) {
        EXPECT_EQ(picture(x, 172), 0xFFFFFFFFu);
        EXPECT_EQ(picture(x, 199), 0xFFFFFFFFu);
    }
}

TEST_F(CreditsTest, WithoutRippleThePictureSitsInTheMiddleWhiteLeftOut)
{
    std::memset(warp_sine, 0, sizeof warp_sine);
    warp_picture();
    // At 400 x 300 the picture covers columns 40 to 359 and rows 50 to 249.
    EXPECT_EQ(at(40 + 8, 50), picture(8, 0));
    EXPECT_EQ(at(40 + 311, 50 + 171), picture(311, 171));
    EXPECT_EQ(at(40 + 200, 50 + 17), picture(200, 17));
    EXPECT_EQ(at(40 + 7, 50), background);    // white: the menu stays
    EXPECT_EQ(at(40 + 8, 50 + 172), background);
    EXPECT_EQ(at(39, 60), background);
    EXPECT_EQ(at(360, 60), background);
}

TEST_F(CreditsTest, TheRippleShiftsRowsAndColumnsByTheSineTable)
{
    for (int32_t& s : warp_sine) {
        s = 3;
    }
    warp_picture();
    // Work pixel (y, x) comes from picture (y + 3, x + 3).
    EXPECT_EQ(at(40 + 8, 50 + 0), picture(11, 3));
    EXPECT_EQ(at(40 + 100, 50 + 160), picture(103, 163));
    EXPECT_EQ(at(40 + 317, 50 + 10), background);  // x + 3 beyond the picture
    EXPECT_EQ(at(40 + 100, 50 + 197), background);  // y + 3 beyond it

    // The row shift follows the table entry a = phase_y + 4 y, the column
    // shift the entry b = y + phase_x - 4 x.
    std::memset(warp_sine, 0, sizeof warp_sine);
    warp_sine[8] = -2;  // row y = 2 with phase_y 0: picture row 0
    warp_sine[6] = 1;   // row 1, column 0 with phase_x 5: b = 6
    warp_phase_x = 5;
    warp_phase_y = 0;
    std::fill(frame.begin(), frame.end(), background);
    warp_picture();
    EXPECT_EQ(at(40 + 20, 50 + 2), picture(20, 0));
    EXPECT_EQ(at(40 + 0, 50 + 1), background);  // picture (1, 1) is white
    EXPECT_EQ(at(40 + 10, 50 + 1), picture(10, 1));
    warp_phase_x = 0;
}

TEST_F(CreditsTest, TheDriftDrawsTheGeneratorInItsOrder)
{
    crt_srand(99);
    int32_t r[6];
    for (int32_t& v : r) {
        v = crt_rand();
    }
    crt_srand(99);
    credits_frame();
    EXPECT_EQ(warp_phase_x, static_cast<uint8_t>((r[0] & 3) + 2));
    EXPECT_EQ(warp_phase_y, static_cast<uint8_t>(0 - ((r[1] & 3) + 5)));
    uint8_t speed_x = 2, speed_y = 5;
    if ((r[2] & 7) == 0) {
        speed_x = static_cast<uint8_t>(speed_x + 1 - (r[3] & 3));
        speed_y = static_cast<uint8_t>(speed_y + 1 - (r[4] & 3));
        if ((r[5] & 31) == 0) {
            speed_x = speed_y = 0;
        }
    }
    EXPECT_EQ(warp_speed_x, speed_x);
    EXPECT_EQ(warp_speed_y, speed_y);

    // A speed of 255 moves the phase back.
    warp_speed_x = 255;
    warp_phase_x = 10;
    crt_srand(4);
    const int32_t first = crt_rand();
    crt_srand(4);
    credits_frame();
    EXPECT_EQ(warp_phase_x, static_cast<uint8_t>(10 + (first & 3) - 1));
}

TEST_F(CreditsTest, PhasesStepAndWrapAbove6289)
{
    credits_frame();
    EXPECT_DOUBLE_EQ(credits_phase[0], 3.5);
    EXPECT_DOUBLE_EQ(credits_phase[1], 3.2);
    EXPECT_DOUBLE_EQ(credits_phase[2], 1.4);
    for (int i = 0; i < 5; ++i) {
        credits_frame();
    }
    EXPECT_DOUBLE_EQ(credits_phase[0], 6.0);
    credits_frame();
    EXPECT_EQ(credits_phase[0], 0.0);
    credits_frame();
    EXPECT_EQ(credits_phase[0], 0.5);
}

TEST_F(CreditsTest, WaveCharactersSitBetweenThreeBelowAndThirteenAbove)
{
    const double half_pi = 1.5707963267948966;
    wave_text("A", 100, 100, half_pi, 5);  // sin 1: 3 below y
    EXPECT_EQ(at(100, 100 + 3 + 1), 0x00FFFF00u);
    EXPECT_EQ(at(100, 100 + 3), background);
    EXPECT_EQ(at(107, 100 + 3 + 9), 0x00FFFF00u);
    EXPECT_EQ(at(108, 104), background);

    wave_text("B", 200, 100, -half_pi, 5);  // sin -1: 13 above y
    EXPECT_EQ(at(200, 100 - 13 + 1), 0x00FFFF00u);
    EXPECT_EQ(at(200, 100 - 13), background);

    wave_text("C", 300, 100, 0.0, 5);  // sin 0: 5 above y
    EXPECT_EQ(at(300, 96), 0x00FFFF00u);
    EXPECT_EQ(at(300, 95), background);

    // Character i of n spans i / n of half a wave: with n = 2 the second
    // character of phase 0 is at sin(3.1415926 / 2), a hair below 1, so
    // 5 - 8 sin truncates to -2.
    wave_text("DE", 10, 200, 0.0, 2);
    EXPECT_EQ(at(10, 196), 0x00FFFF00u);
    EXPECT_EQ(at(18, 203), 0x00FFFF00u);
    EXPECT_EQ(at(18, 202), background);
}

TEST_F(CreditsTest, TheLinesStandWhereTheLayoutPutsThem)
{
    std::memset(warp_sine, 0, sizeof warp_sine);
    std::fill(credits_picture, credits_picture + credits_width * credits_height, 0xFFFFFFFFu);
    credits_phase[0] = 0.0;  // first character: 5 above
    credits_phase[1] = 0.0;
    credits_phase[2] = 0.0;
    credits_frame();
    EXPECT_EQ(at(100, 20 - 5 + 1), 0x00FFFF00u);
    EXPECT_EQ(at(99, 20 - 5 + 1), background);
    EXPECT_EQ(at(16, 230 - 5 + 1), 0x00FFFF00u);
    EXPECT_EQ(at(15, 230 - 5 + 1), background);
    EXPECT_EQ(at(64, 270 - 5 + 1), 0x00FFFF00u);
    EXPECT_EQ(at(63, 270 - 5 + 1), background);
}

TEST_F(CreditsTest, TheThirdLineStaysOnA400PixelScreen)
{
    std::memset(warp_sine, 0, sizeof warp_sine);
    std::fill(credits_picture, credits_picture + credits_width * credits_height, 0xFFFFFFFFu);
    credits_phase[2] = 0.0;
    credits_frame();
    int32_t rightmost = -1;
    for (int32_t x = 0; x < res_x; ++x) {
        for (int32_t y = 250; y < 290; ++y) {
            if (at(x, y) == 0x00FFFF00u) {
                rightmost = std::max(rightmost, x);
            }
        }
    }
    EXPECT_GT(rightmost, 64 + 8 * 30);
    EXPECT_LT(rightmost, res_x - 8);
}

TEST_F(CreditsTest, UpAndDownMoveTheHiddenSelectionAndEscapeEnds)
{
    key(VK_DOWN);
    key(VK_DOWN);
    EXPECT_EQ(menu_item, 2);
    EXPECT_EQ(sounds, (std::vector<int32_t>{0, 0}));
    key(VK_ESCAPE);
    EXPECT_EQ(credits_active, 0);
    EXPECT_EQ(menu_active, 1);
}

}  // namespace
