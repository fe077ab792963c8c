// The sound on SDL2_mixer, heard through SDL's disk audio driver: what the
// mixer puts out (16-bit stereo at 44,100 Hz) is written to a file, which
// the tests measure.
#include "platform/common/wave_clip.h"
#include "platform/resources.h"
#include "platform/sound.h"
#include "sdl_test_env.h"
#include "../../tools/common/wave_writer.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace {

struct Heard {
    std::vector<int16_t> left;
    size_t first = 0, last = 0;  // the first and the last sample not silent
    size_t first_rise = 0, last_rise = 0;  // the first and the last rising zero crossing
    int32_t peak = 0, clipped = 0, rises = 0;
    double seconds() const { return double(last - first) / 44100; }
    double pitch() const { return (rises - 1) * 44100.0 / double(last_rise - first_rise); }
};

class SdlSound : public ::testing::Test {
protected:
    std::string file;
    void SetUp() override
    {
        file = use_test_drivers();
        ASSERT_EQ(sound_init(nullptr), 1);
    }
    void TearDown() override { sound_shutdown(); }
    // Plays the slots, waits, closes the output and measures its left side.
    Heard play(std::initializer_list<int32_t> slots, int32_t ms, int32_t again_after_ms = 0)
    {
        for (int32_t slot : slots) EXPECT_EQ(play_sound(slot), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(again_after_ms));
        if (again_after_ms) play_sound(*slots.begin());
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        sound_shutdown();
        Heard heard;
        if (FILE* f = std::fopen(file.c_str(), "rb")) {
            for (int16_t frame[2]; std::fread(frame, sizeof frame, 1, f) == 1;) heard.left.push_back(frame[0]);
            std::fclose(f);
        }
        std::remove(file.c_str());
        heard.first = heard.left.size();
        for (size_t i = 0; i < heard.left.size(); ++i) {
            const int16_t s = heard.left[i];
            heard.peak = std::max(heard.peak, std::abs(int32_t(s)));
            heard.clipped += s == 32767 || s == -32768;
            heard.first = s ? std::min(heard.first, i) : heard.first;
            heard.last = s ? i : heard.last;
            if (i > 0 && heard.left[i - 1] < 0 && s >= 0) {
                heard.first_rise = heard.rises++ ? heard.first_rise : i;
                heard.last_rise = i;
            }
        }
        return heard;
    }
};

std::vector<uint8_t> tone(uint16_t channels, uint32_t rate, uint16_t bits, double seconds, double hz, double level)
{
    std::vector<uint8_t> samples;
    for (uint32_t i = 0; i < uint32_t(seconds * rate); ++i)
        for (uint16_t c = 0; c < channels; ++c) {
            const double v = level * std::sin(2 * M_PI * hz * (c + 1) * i / rate);
            if (bits == 8) samples.push_back(uint8_t(std::lround(128 + 127 * v)));
            else put_u16(samples, uint16_t(int16_t(std::lround(32767 * v))));
        }
    return wave_image(channels, rate, bits, samples);
}

}  // namespace

TEST_F(SdlSound, EveryEffectPlaysWholeWithoutClippingAtItsSourcesPeak)
{
    for (int32_t slot = 0; slot < sound_slot_count; ++slot) {
        if (slot > 0) SetUp();
        const uint8_t* image = nullptr;
        uint32_t size = 0;
        WaveClip clip;
        ASSERT_TRUE(find_resource(sound_slot_resources[slot], "WAVE", &image, &size) && wave_read_clip(image, size, &clip));
        // The source's peak and the time from its first to its last sound.
        const uint32_t step = clip.bits / 8u, frame = step * clip.channels;
        int32_t peak = 0;
        uint32_t first = clip.size, last = 0;
        for (uint32_t i = 0; i < clip.size; i += step) {
            const int32_t v = clip.bits == 8 ? (clip.data[i] - 128) * 256 : int16_t(clip.data[i] | clip.data[i + 1] << 8);
            peak = std::max(peak, std::abs(v));
            first = v ? std::min(first, i / frame) : first;
            last = v ? i / frame : last;
        }
        const Heard heard = play({slot}, int32_t(1000 * clip.size / frame / clip.rate) + 500);
        EXPECT_EQ(heard.clipped, 0) << sound_slot_resources[slot];
        EXPECT_NEAR(heard.peak, peak, peak * 0.01) << sound_slot_resources[slot];
        EXPECT_NEAR(heard.seconds(), double(last - first) / clip.rate, 0.02) << sound_slot_resources[slot];
    }
}

TEST_F(SdlSound, ClipsKeepPitchAndLevelASlotRestartsAndSlotsMix)
{
    // 11,025 Hz 16-bit mono near full scale, and 22,050 Hz 8-bit stereo.
    auto shot = tone(1, 11025, 16, 0.25, 440, 0.95), menu = tone(2, 22050, 8, 0.3, 300, 0.6);
    ASSERT_EQ(sound_load_slot_from_image(2, shot.data(), shot.size()), 1);
    Heard heard = play({2}, 450);
    EXPECT_NEAR(heard.seconds(), 0.25, 0.01);
    EXPECT_NEAR(heard.pitch(), 440, 2);
    EXPECT_NEAR(heard.peak, 0.95 * 32767, 0.95 * 32767 * 0.01);
    SetUp();
    ASSERT_EQ(sound_load_slot_from_image(0, menu.data(), menu.size()), 1);
    heard = play({0}, 500);
    EXPECT_NEAR(heard.seconds(), 0.3, 0.01);
    EXPECT_NEAR(heard.pitch(), 300, 2);  // the left channel's tone (the right one is 600 Hz)
    EXPECT_NEAR(heard.peak, 0.6 * 127 * 256, 0.6 * 127 * 256 * 0.01);
    // Played again after 250 ms: cut and started anew, one voice at a time
    // (the disk driver keeps the clock's pace only roughly).
    auto low = tone(1, 22050, 16, 0.4, 440, 0.4);
    for (bool mixed : {false, true}) {
        SetUp();
        ASSERT_EQ(sound_load_slot_from_image(4, low.data(), low.size()), 1);
        ASSERT_EQ(sound_load_slot_from_image(3, low.data(), low.size()), 1);
        heard = mixed ? play({3, 4}, 600) : play({4}, 600, 250);
        EXPECT_NEAR(heard.peak, (mixed ? 0.8 : 0.4) * 32767, 0.01 * 32767);
        EXPECT_NEAR(heard.seconds(), mixed ? 0.4 : 0.65, mixed ? 0.01 : 0.15);
    }
}

TEST_F(SdlSound, BadImagesAndNoDeviceLeaveSlotsSilent)
{
    auto good = tone(1, 11025, 16, 0.1, 440, 0.5), broken = good;
    broken[0] = 'X';
    ASSERT_EQ(sound_load_slot_from_image(1, good.data(), good.size()), 1);
    EXPECT_EQ(sound_load_slot_from_image(1, broken.data(), broken.size()), 0);
    EXPECT_EQ(sound_load_slot_from_image(3, good.data(), 60), 0);  // the data runs past the end
    EXPECT_EQ(sound_load_slot_from_image(5, good.data(), good.size()), 0);
    for (int32_t slot : {1, 3, 5, -1}) EXPECT_EQ(play_sound(slot), 0) << slot;
    EXPECT_EQ(play_sound(2), 1);  // the others still play
    sound_shutdown();
    // No device: one line says so, every slot is silent.
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(sound_init(nullptr), 1);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("valkron: no sound: ", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    EXPECT_EQ(sound_load_slot_from_image(0, good.data(), good.size()), 0);
    for (int32_t slot = 0; slot < sound_slot_count; ++slot) EXPECT_EQ(play_sound(slot), 0);
    EXPECT_EQ(sound_shutdown(), 1);
}
