// The headless sound: slots load from WAVE images, starts are reported.
#include "platform/headless.h"
#include "platform/sound.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> played;

void on_sound(int32_t slot, void*)
{
    played.push_back(slot);
}

class HeadlessSound : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless_reset();
        played.clear();
        HeadlessDriver driver = {};
        driver.sound_played = on_sound;
        headless_set_driver(&driver);
    }
    void TearDown() override { headless_reset(); }
};

const std::vector<uint8_t> beep = wave_image(1, 11025, 16, tone_samples(1, 11025, 16, 100, {440}, 0.5));

}  // namespace

TEST_F(HeadlessSound, NothingPlaysBeforeInit)
{
    EXPECT_EQ(sound_load_slot_from_image(2, beep.data(), beep.size()), 0);
    EXPECT_EQ(play_sound(2), 0);
    EXPECT_TRUE(played.empty());
}

TEST_F(HeadlessSound, LoadedSlotsPlayAndAreReported)
{
    ASSERT_EQ(sound_init(nullptr), 1);
    ASSERT_EQ(sound_load_slot_from_image(2, beep.data(), beep.size()), 1);
    ASSERT_EQ(sound_load_slot_from_image(4, beep.data(), beep.size()), 1);
    EXPECT_EQ(play_sound(2), 1);
    EXPECT_EQ(play_sound(4), 1);
    EXPECT_EQ(play_sound(2), 1);
    EXPECT_EQ(played, (std::vector<int32_t>{2, 4, 2}));
}

TEST_F(HeadlessSound, MalformedImagesAndBadSlotsStaySilent)
{
    ASSERT_EQ(sound_init(nullptr), 1);
    ASSERT_EQ(sound_load_slot_from_image(1, beep.data(), beep.size()), 1);
    std::vector<uint8_t> broken = beep;
    broken[8] = 'X';  // not "WAVE"
    EXPECT_EQ(sound_load_slot_from_image(1, broken.data(), broken.size()), 0);
    EXPECT_EQ(play_sound(1), 0);  // the slot was emptied
    auto float_clip = riff_image({{"fmt ", format_body(1, 11025, 32, 16, 3)}, {"data", std::vector<uint8_t>(8)}});
    EXPECT_EQ(sound_load_slot_from_image(0, float_clip.data(), float_clip.size()), 0);
    EXPECT_EQ(play_sound(0), 0);
    EXPECT_EQ(sound_load_slot_from_image(5, beep.data(), beep.size()), 0);
    EXPECT_EQ(sound_load_slot_from_image(-1, beep.data(), beep.size()), 0);
    EXPECT_EQ(play_sound(5), 0);
    EXPECT_EQ(play_sound(-1), 0);
    EXPECT_TRUE(played.empty());
}

TEST_F(HeadlessSound, ShutdownSilencesEverything)
{
    ASSERT_EQ(sound_init(nullptr), 1);
    ASSERT_EQ(sound_load_slot_from_image(3, beep.data(), beep.size()), 1);
    EXPECT_EQ(sound_shutdown(), 1);
    EXPECT_EQ(sound_shutdown(), 1);
    EXPECT_EQ(play_sound(3), 0);
    ASSERT_EQ(sound_init(nullptr), 1);
    EXPECT_EQ(sound_load_slot_from_image(3, beep.data(), beep.size()), 1);
    EXPECT_EQ(play_sound(3), 1);
}
