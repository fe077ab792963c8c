// The sound on SDL2_mixer, heard through SDL's disk audio driver: what the
// mixer outputs is written to a file, which the tests then measure.
#include "wave_builder.h"
#include "platform/common/wave_clip.h"
#include "platform/resources.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sound.h"
#include "sdl_test_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void wait_ms(int32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The output file as stereo frames of signed 16-bit samples.
struct Output {
    std::vector<int16_t> left, right;
    int32_t rate = 0;
};

Output read_output(const std::string& file, int32_t rate, int32_t channels)
{
    Output out;
    out.rate = rate;
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return out;
    std::vector<int16_t> samples;
    int16_t buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, sizeof(int16_t), 4096, f)) > 0) samples.insert(samples.end(), buffer, buffer + got);
    std::fclose(f);
    for (size_t i = 0; i + size_t(channels) <= samples.size(); i += size_t(channels)) {
        out.left.push_back(samples[i]);
        out.right.push_back(samples[i + size_t(channels) - 1]);
    }
    std::remove(file.c_str());
    return out;
}

// First and last frame louder than the threshold.
struct Span {
    size_t first = 0, last = 0;
    bool found = false;
    double seconds(int32_t rate) const { return found ? double(last - first + 1) / rate : 0; }
};

Span loud_span(const std::vector<int16_t>& s, int32_t threshold = 600)
{
    Span span;
    for (size_t i = 0; i < s.size(); ++i)
        if (std::abs(s[i]) > threshold) {
            if (!span.found) span.first = i;
            span.last = i;
            span.found = true;
        }
    return span;
}

int32_t peak(const std::vector<int16_t>& s)
{
    int32_t p = 0;
    for (int16_t v : s) p = std::max(p, std::abs(int32_t(v)));
    return p;
}

// Frequency from the rising zero crossings inside the span.
double frequency(const std::vector<int16_t>& s, const Span& span, int32_t rate)
{
    int32_t crossings = 0;
    size_t first = 0, last = 0;
    for (size_t i = span.first + 1; i <= span.last; ++i)
        if (s[i - 1] < 0 && s[i] >= 0) {
            if (crossings == 0) first = i;
            last = i;
            ++crossings;
        }
    if (crossings < 2) return 0;
    return double(crossings - 1) * rate / double(last - first);
}

class SdlSound : public ::testing::Test {
protected:
    std::string file;
    int32_t rate = 0, channels = 0, bits = 0;
    void SetUp() override
    {
        file = use_test_drivers();
        ASSERT_EQ(sound_init(nullptr), 1);
        ASSERT_EQ(sdl_sound_output(&rate, &channels, &bits), 1);
        ASSERT_EQ(bits, 16);
        ASSERT_GE(channels, 1);
    }
    void TearDown() override
    {
        sound_shutdown();
        std::remove(file.c_str());
    }
    Output finish()
    {
        EXPECT_EQ(sound_shutdown(), 1);
        return read_output(file, rate, channels);
    }
};

}  // namespace

TEST_F(SdlSound, A16BitMonoClipPlaysAtItsPitchAndLength)
{
    // 11,025 Hz 16-bit mono like the shot: 0.25 s of 440 Hz at half scale.
    auto image = wave_image(1, 11025, 16, tone_samples(1, 11025, 16, 2756, {440}, 0.5));
    ASSERT_EQ(sound_load_slot_from_image(2, image.data(), image.size()), 1);
    EXPECT_EQ(play_sound(2), 1);
    wait_ms(500);
    Output out = finish();
    Span span = loud_span(out.left);
    ASSERT_TRUE(span.found);
    EXPECT_NEAR(span.seconds(rate), 0.25, 0.02);
    EXPECT_NEAR(frequency(out.left, span, rate), 440.0, 8.0);
    EXPECT_NEAR(peak(out.left), 16383, 16383 * 0.08);
    EXPECT_EQ(peak(out.right), peak(out.left));  // mono on both sides
}

TEST_F(SdlSound, An8BitStereoClipKeepsItsChannels)
{
    // 22,050 Hz 8-bit stereo like the menu move: 300 Hz left, 600 Hz right.
    auto image = wave_image(2, 22050, 8, tone_samples(2, 22050, 8, 6615, {300, 600}, 0.6));
    ASSERT_EQ(sound_load_slot_from_image(0, image.data(), image.size()), 1);
    EXPECT_EQ(play_sound(0), 1);
    wait_ms(550);
    Output out = finish();
    if (channels < 2) GTEST_SKIP() << "mono output";
    Span left = loud_span(out.left), right = loud_span(out.right);
    ASSERT_TRUE(left.found);
    ASSERT_TRUE(right.found);
    EXPECT_NEAR(left.seconds(rate), 0.3, 0.02);
    EXPECT_NEAR(frequency(out.left, left, rate), 300.0, 6.0);
    EXPECT_NEAR(frequency(out.right, right, rate), 600.0, 12.0);
    EXPECT_NEAR(peak(out.left), 0.6 * 32767, 0.6 * 32767 * 0.1);
}

TEST_F(SdlSound, PlayingASlotAgainRestartsItWithoutOverlap)
{
    auto image = wave_image(1, 22050, 8, tone_samples(1, 22050, 8, 8820, {440}, 0.4));  // 0.4 s
    ASSERT_EQ(sound_load_slot_from_image(4, image.data(), image.size()), 1);
    auto start = Clock::now();
    EXPECT_EQ(play_sound(4), 1);
    wait_ms(150);
    EXPECT_EQ(play_sound(4), 1);
    double gap = std::chrono::duration<double>(Clock::now() - start).count();
    wait_ms(800);
    Output out = finish();
    Span span = loud_span(out.left);
    ASSERT_TRUE(span.found);
    // The second start cut the first: sound from the first start to the
    // end of the second, one voice at a time.
    EXPECT_NEAR(span.seconds(rate), 0.4 + gap, 0.06);
    EXPECT_LT(peak(out.left), int32_t(0.4 * 32767 * 1.15));
}

TEST_F(SdlSound, DifferentSlotsMix)
{
    auto low = wave_image(1, 11025, 16, tone_samples(1, 11025, 16, 3308, {440}, 0.3));
    auto high = wave_image(1, 11025, 16, tone_samples(1, 11025, 16, 3308, {660}, 0.3));
    ASSERT_EQ(sound_load_slot_from_image(1, low.data(), low.size()), 1);
    ASSERT_EQ(sound_load_slot_from_image(3, high.data(), high.size()), 1);
    EXPECT_EQ(play_sound(1), 1);
    EXPECT_EQ(play_sound(3), 1);
    wait_ms(600);
    Output out = finish();
    Span span = loud_span(out.left);
    ASSERT_TRUE(span.found);
    EXPECT_NEAR(span.seconds(rate), 0.3, 0.05);
    // Two tones at 0.3 each add up to well above one of them.
    EXPECT_GT(peak(out.left), int32_t(0.45 * 32767));
}

TEST_F(SdlSound, BadImagesLeaveTheirSlotSilentAndOthersPlay)
{
    auto good = wave_image(1, 11025, 16, tone_samples(1, 11025, 16, 1000, {440}, 0.5));
    ASSERT_EQ(sound_load_slot_from_image(1, good.data(), good.size()), 1);
    auto broken = good;
    broken[0] = 'X';
    EXPECT_EQ(sound_load_slot_from_image(1, broken.data(), broken.size()), 0);
    EXPECT_EQ(play_sound(1), 0);
    auto truncated = std::vector<uint8_t>(good.begin(), good.begin() + 60);  // data runs past the end
    EXPECT_EQ(sound_load_slot_from_image(3, truncated.data(), truncated.size()), 0);
    EXPECT_EQ(play_sound(3), 0);
    EXPECT_EQ(sound_load_slot_from_image(5, good.data(), good.size()), 0);
    EXPECT_EQ(play_sound(5), 0);
    EXPECT_EQ(play_sound(-1), 0);
    ASSERT_EQ(sound_load_slot_from_image(2, good.data(), good.size()), 1);
    EXPECT_EQ(play_sound(2), 1);
}

TEST_F(SdlSound, ResourceSlotsLoadAtInit)
{
    // Whatever the program carries: a slot plays exactly when its resource
    // holds a playable clip.
    const char* names[5] = {"#103", "#111", "#112", "#110", "#108"};
    for (int32_t slot = 0; slot < 5; ++slot) {
        const uint8_t* image = nullptr;
        uint32_t size = 0;
        WaveClip clip;
        int32_t present = find_resource(names[slot], "WAVE", &image, &size) && wave_read_clip(image, size, &clip);
        EXPECT_EQ(play_sound(slot), present) << names[slot];
    }
}

TEST(SdlSoundless, WithoutAnAudioDeviceEverythingIsSilent)
{
    use_test_drivers();
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(sound_init(nullptr), 1);
    int32_t rate = 0, channels = 0, bits = 0;
    EXPECT_EQ(sdl_sound_output(&rate, &channels, &bits), 0);
    auto good = wave_image(1, 11025, 16, tone_samples(1, 11025, 16, 1000, {440}, 0.5));
    EXPECT_EQ(sound_load_slot_from_image(0, good.data(), good.size()), 0);
    for (int32_t slot = 0; slot < 5; ++slot) EXPECT_EQ(play_sound(slot), 0);
    EXPECT_EQ(sound_shutdown(), 1);
    EXPECT_EQ(sound_shutdown(), 1);
}
