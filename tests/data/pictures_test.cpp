// The generated pictures read the way start-up reads them: explosion
// frames, menu picture, aiming mark and the credits texture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "assets/texture.h"
#include "data_util.h"

namespace {

class Pictures : public ::testing::Test {
protected:
    InGameDir dir;
};

std::vector<uint32_t> explosion(int n)
{
    std::vector<uint32_t> px(11424);
    EXPECT_TRUE(load_picture(("Data\\Expl" + std::to_string(n) + ".tex").c_str(), px.data(), px.size(),
                             PictureOrder::texture));
    return px;
}

TEST_F(Pictures, ExplosionFramesAreExactlySizedOnTheKeyColour)
{
    for (int n = 1; n <= 17; ++n) {
        EXPECT_EQ(read_file(std::string(VALKRON_GAME_DIR) + "/Data/Expl" + std::to_string(n) + ".tex").size(),
                  11424u * 4u);
        const auto px = explosion(n);
        // The corners are background, read as the key colour.
        EXPECT_EQ(px[0], key_colour) << n;
        EXPECT_EQ(px[111], key_colour) << n;
        EXPECT_EQ(px[101 * 112], key_colour) << n;
        EXPECT_EQ(px[11423], key_colour) << n;
    }
}

TEST_F(Pictures, ExplosionPixelsAreFireOrSmokeNeverNearTheKey)
{
    for (int n = 1; n <= 17; ++n) {
        for (uint32_t p : explosion(n)) {
            if (p == key_colour) continue;
            // Warm or grey: never a cyan close to the key colour, whose
            // opaque look-alikes would show as holes or stray pixels.
            ASSERT_GE(red_of(p) + 8, blue_of(p)) << "frame " << n << std::hex << " pixel " << p;
            ASSERT_GE(red_of(p) + 8, green_of(p)) << "frame " << n << std::hex << " pixel " << p;
        }
    }
}

TEST_F(Pictures, ExplosionGrowsThenBreaksUp)
{
    std::vector<int> opaque;
    for (int n = 1; n <= 17; ++n) {
        int count = 0;
        for (uint32_t p : explosion(n)) count += p != key_colour;
        opaque.push_back(count);
    }
    // Every frame the match and the winner screen show (2..16) has a
    // visible fireball or smoke; the ball fills a good part of the frame at
    // its height and has thinned out at the end.
    for (int n = 2; n <= 16; ++n) EXPECT_GT(opaque[size_t(n - 1)], 60) << n;
    const int peak = *std::max_element(opaque.begin(), opaque.end());
    EXPECT_GT(peak, 11424 / 3);
    EXPECT_LT(opaque[0], peak / 4);
    EXPECT_LT(opaque[16], peak / 4);
}

TEST_F(Pictures, MenuPictureKeepsItsTextAreasDark)
{
    EXPECT_EQ(read_file(std::string(VALKRON_GAME_DIR) + "/Data/Menu.tex").size(), 480000u);
    std::vector<uint32_t> menu(120000);
    ASSERT_TRUE(load_picture("Data\\Menu.tex", menu.data(), menu.size(), PictureOrder::unchanged));
    for (uint32_t p : menu) ASSERT_EQ(p >> 24, 0u);
    // Where the menu prints its green texts (8 pixels per character, 9
    // rows from one below y), the picture's green stays low so that the
    // texts stand out.
    const struct {
        int x, y, chars;
    } texts[] = {{50, 150, 24}, {200, 50, 15}, {60, 255, 14}, {220, 240, 20}, {220, 260, 20},
                 {250, 250, 11}, {250, 270, 11}};
    for (const auto& t : texts) {
        long sum = 0;
        int most = 0, count = 0;
        for (int y = t.y + 1; y < t.y + 10; ++y) {
            for (int x = t.x; x < std::min(400, t.x + 8 * t.chars); ++x) {
                const int g = green_of(menu[size_t(y * 400 + x)]);
                sum += g;
                most = std::max(most, g);
                ++count;
            }
        }
        EXPECT_LT(sum / count, 60) << "text at " << t.x << "," << t.y;
        EXPECT_LT(most, 150) << "text at " << t.x << "," << t.y;
    }
    // The picture itself is not dark all over: it has a bright title and
    // sky.
    int bright = 0;
    for (uint32_t p : menu) bright += red_of(p) + green_of(p) + blue_of(p) > 400;
    EXPECT_GT(bright, 2000);
}

TEST_F(Pictures, AimingMarkSurvivesTheRedRuleAndLeavesRoomForTheInstruments)
{
    EXPECT_EQ(read_file(std::string(VALKRON_GAME_DIR) + "/Data/Target.tex").size(), 7416u * 4u);
    std::vector<uint32_t> raw(7416);
    ASSERT_TRUE(load_picture("Data\\Target.tex", raw.data(), raw.size(), PictureOrder::unchanged));
    std::vector<uint32_t> mark(raw);
    int kept = 0;
    for (uint32_t& v : mark) {
        if (clearly_red(v)) v = 0;
        kept += v != 0;
    }
    EXPECT_EQ(raw[0], 0x00FF0000u) << "the background is pure red";
    EXPECT_GT(kept, 150);
    EXPECT_LT(kept, 7416 / 4);
    // Every pixel is either background red (transparent) or a mark pixel
    // that is kept: nothing half red that would vanish unpredictably.
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != 0x00FF0000u) {
            ASSERT_NE(mark[i], 0u) << "pixel " << i;
        }
    }
    // The view's centre (pixel 52, 30 of the mark) carries the pip.
    EXPECT_NE(mark[30 * 103 + 52], 0u);
    // Rows 0..2 under the speed bar (columns 27..76) stay clear, and so
    // does the circle of radius 18..22 where the direction cross moves.
    for (int y = 0; y < 3; ++y) {
        for (int x = 27; x <= 76; ++x) EXPECT_EQ(mark[size_t(y * 103 + x)], 0u) << x << "," << y;
    }
    for (int y = 0; y < 72; ++y) {
        for (int x = 0; x < 103; ++x) {
            const float d = std::hypot(float(x - 52), float(y - 30));
            if (d >= 18.0f && d <= 22.0f) {
                EXPECT_EQ(mark[size_t(y * 103 + x)], 0u) << x << "," << y;
            }
        }
    }
}

TEST_F(Pictures, CreditsTextureBuildsTwoFullPortraits)
{
    Texture* q = load_texture("Data\\Quorba.tex");
    ASSERT_NE(q, nullptr);
    // Start-up's copy into the 320 x 200 credits picture.
    std::vector<uint32_t> pic(64000, 0xFFFFFFFF);
    for (int c = 0; c < 128; ++c) {
        for (int k = 0; k < 172; ++k) {
            const uint32_t a = q->pixels[(128 + c) * 256 + 28 + k];
            if (a != key_colour) pic[size_t(k * 320 + 184 + c)] = a;
            const uint32_t b = q->pixels[c * 256 + 28 + k];
            if (b != key_colour) pic[size_t(k * 320 + 8 + c)] = b;
        }
    }
    release_texture(q);
    auto empty = [](uint32_t p) { return (p & 0xFFFFFF) == 0xFFFFFF; };
    for (int left : {8, 184}) {
        int painted = 0;
        for (int y = 0; y < 172; ++y) {
            for (int x = left; x < left + 128; ++x) painted += !empty(pic[size_t(y * 320 + x)]);
        }
        EXPECT_GT(painted, 128 * 172 * 9 / 10) << "panel at " << left;
        // The panel's corners are rounded off: empty.
        EXPECT_TRUE(empty(pic[size_t(left)]));
        // Its middle is painted.
        EXPECT_FALSE(empty(pic[size_t(86 * 320 + left + 64)]));
    }
    // The two portraits differ (two pilots, not one picture twice).
    int same = 0;
    for (int y = 0; y < 172; ++y) {
        for (int x = 0; x < 128; ++x) same += pic[size_t(y * 320 + 8 + x)] == pic[size_t(y * 320 + 184 + x)];
    }
    EXPECT_LT(same, 128 * 172 / 2);
}

}  // namespace
