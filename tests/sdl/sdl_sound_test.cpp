// The sound on SDL2_mixer, heard through SDL's disk audio driver: what the
// mixer puts out is written to a file, which the tests measure.
#include "platform/common/wave_clip.h"
#include "platform/resources.h"
#include "platform/sound.h"
#include "sdl_test_env.h"
#include "../../tools/common/wave_writer.h"

#include <SDL_mixer.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace {

// The output file: 16-bit stereo at 44,100 Hz, the left channel.
std::vector<int16_t> recorded(const std::string& file)
{
    std::vector<int16_t> left;
    if (FILE* f = std::fopen(file.c_str(), "rb")) {
        int16_t frame[2];
        while (std::fread(frame, sizeof frame, 1, f) == 1) left.push_back(frame[0]);
        std::fclose(f);
    }
    std::remove(file.c_str());
    return left;
}

int32_t peak(const std::vector<int16_t>& samples)
{
    int32_t p = 0;
    for (int16_t s : samples) p = std::max(p, std::abs(int32_t(s)));
    return p;
}

// Seconds between the first and the last sample louder than 600, and the
// frequency from the rising zero crossings between them.
std::pair<double, double> length_and_pitch(const std::vector<int16_t>& s)
{
    size_t first = s.size(), last = 0, crossings = 0, from = 0, to = 0;
    for (size_t i = 0; i < s.size(); ++i)
        if (std::abs(s[i]) > 600) {
            first = std::min(first, i);
            last = i;
        }
    for (size_t i = first + 1; i <= last && i < s.size(); ++i)
        if (s[i - 1] < 0 && s[i] >= 0) {
            from = crossings++ ? from : i;
            to = i;
        }
    if (first > last || crossings < 2) return {0, 0};
    return {double(last - first + 1) / 44100, double(crossings - 1) * 44100 / double(to - from)};
}

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

class SdlSound : public ::testing::Test {
protected:
    std::string file;
    void SetUp() override
    {
        file = use_test_drivers();
        ASSERT_EQ(sound_init(nullptr), 1);
        int rate = 0, channels = 0;
        Uint16 format = 0;
        ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
        ASSERT_EQ(rate, 44100);
        ASSERT_EQ(format, AUDIO_S16SYS);
        ASSERT_EQ(channels, 2);
    }
    void TearDown() override { sound_shutdown(); }
    std::vector<int16_t> play(int32_t slot, int32_t ms)
    {
        EXPECT_EQ(play_sound(slot), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        EXPECT_EQ(sound_shutdown(), 1);
        return recorded(file);
    }
};

}  // namespace

TEST_F(SdlSound, EveryEffectPlaysWholeWithoutClippingAtItsSourcesPeak)
{
    for (int32_t slot = 0; slot < sound_slot_count; ++slot) {
        SetUp();
        const uint8_t* image = nullptr;
        uint32_t size = 0;
        WaveClip clip;
        ASSERT_TRUE(find_resource(sound_slot_resources[slot], "WAVE", &image, &size) &&
                    wave_read_clip(image, size, &clip));
        // The source's peak and the time from its first to its last sound.
        const uint32_t step = clip.bits / 8u, frame = step * clip.channels;
        int32_t source_peak = 0;
        uint32_t first = clip.size, last = 0;
        for (uint32_t i = 0; i < clip.size; i += step) {
            const int32_t v = clip.bits == 8 ? (clip.data[i] - 128) * 256 : int16_t(clip.data[i] | clip.data[i + 1] << 8);
            source_peak = std::max(source_peak, std::abs(v));
            first = v ? std::min(first, i / frame) : first;
            last = v ? i / frame : last;
        }
        const std::vector<int16_t> out = play(slot, int32_t(1000 * clip.size / frame / clip.rate) + 300);
        int64_t clipped = 0;
        size_t out_first = out.size(), out_last = 0;
        for (size_t i = 0; i < out.size(); ++i) {
            clipped += out[i] == 32767 || out[i] == -32768;
            out_first = out[i] ? std::min(out_first, i) : out_first;
            out_last = out[i] ? i : out_last;
        }
        EXPECT_EQ(clipped, 0) << sound_slot_resources[slot];
        EXPECT_NEAR(peak(out), source_peak, source_peak * 0.01) << sound_slot_resources[slot];
        EXPECT_NEAR(double(out_last - out_first) / 44100, double(last - first) / clip.rate, 0.002)
            << sound_slot_resources[slot];
    }
}

TEST_F(SdlSound, ClipsKeepPitchLengthAndChannelsAndASlotRestarts)
{
    // 11,025 Hz 16-bit mono like the shot, at full scale.
    auto shot = tone(1, 11025, 16, 0.25, 440, 1.0);
    ASSERT_EQ(sound_load_slot_from_image(2, shot.data(), shot.size()), 1);
    auto [length, pitch] = length_and_pitch(play(2, 450));
    EXPECT_NEAR(length, 0.25, 0.02);
    EXPECT_NEAR(pitch, 440, 5);
    // 22,050 Hz 8-bit stereo: 300 Hz left (600 Hz right).
    SetUp();
    auto menu = tone(2, 22050, 8, 0.3, 300, 0.6);
    ASSERT_EQ(sound_load_slot_from_image(0, menu.data(), menu.size()), 1);
    const std::vector<int16_t> left = play(0, 500);
    std::tie(length, pitch) = length_and_pitch(left);
    EXPECT_NEAR(length, 0.3, 0.02);
    EXPECT_NEAR(pitch, 300, 5);
    EXPECT_NEAR(peak(left), 0.6 * 32512, 0.6 * 32512 * 0.02);
    // Played again after 150 ms: cut and started anew, one voice at a
    // time; another slot mixes in.
    SetUp();
    auto low = tone(1, 22050, 16, 0.4, 440, 0.4);
    ASSERT_EQ(sound_load_slot_from_image(4, low.data(), low.size()), 1);
    ASSERT_EQ(sound_load_slot_from_image(3, low.data(), low.size()), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(play_sound(4), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const double gap = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::vector<int16_t> once = play(4, 700);
    EXPECT_NEAR(length_and_pitch(once).first, gap + 0.4, 0.06);
    EXPECT_LT(peak(once), int32_t(0.4 * 32767 * 1.02));
    SetUp();
    ASSERT_EQ(sound_load_slot_from_image(3, low.data(), low.size()), 1);
    ASSERT_EQ(sound_load_slot_from_image(4, low.data(), low.size()), 1);
    EXPECT_EQ(play_sound(3), 1);
    EXPECT_GT(peak(play(4, 600)), int32_t(0.75 * 32767));
}

TEST_F(SdlSound, BadImagesAndNoDeviceLeaveSlotsSilent)
{
    auto good = tone(1, 11025, 16, 0.1, 440, 0.5);
    ASSERT_EQ(sound_load_slot_from_image(1, good.data(), good.size()), 1);
    auto broken = good;
    broken[0] = 'X';
    EXPECT_EQ(sound_load_slot_from_image(1, broken.data(), broken.size()), 0);
    EXPECT_EQ(play_sound(1), 0);
    EXPECT_EQ(sound_load_slot_from_image(3, good.data(), 60), 0);  // the data runs past the end
    EXPECT_EQ(play_sound(3), 0);
    EXPECT_EQ(sound_load_slot_from_image(5, good.data(), good.size()), 0);
    EXPECT_EQ(play_sound(5), 0);
    EXPECT_EQ(play_sound(-1), 0);
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
