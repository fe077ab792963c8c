// The five sound effects compiled into the program: each parses as a WAVE
// image in its slot's exact format and length and sounds clean.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/resources.h"
#include "platform/sound.h"

namespace {

struct Slot {
    const char* name;
    uint16_t channels;
    uint32_t rate;
    uint16_t bits;
    uint32_t bytes;
};

const Slot slots[5] = {
    {"#103", 2, 22050, 8, 18292}, {"#111", 1, 11025, 8, 16737}, {"#112", 1, 11025, 16, 6332},
    {"#110", 1, 11025, 16, 2366}, {"#108", 1, 22050, 8, 49793},
};

uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t u32(const uint8_t* p) { return uint32_t(p[0] | (p[1] << 8) | (p[2] << 16)) | (uint32_t(p[3]) << 24); }

// Sample k of the clip (channel interleaved) as -1 .. 1.
float sample(const Slot& s, const uint8_t* data, uint32_t k)
{
    if (s.bits == 8) return (float(data[k]) - 128.0f) / 128.0f;
    return float(int16_t(u16(data + 2 * k))) / 32768.0f;
}

void PrintTo(const Slot& s, std::ostream* os)
{
    *os << s.name;
}

// The slot's resource, found and parsed.
class Sounds : public ::testing::TestWithParam<Slot> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(find_resource(GetParam().name, "WAVE", &image, &size), 1);
        ASSERT_EQ(parse_wave(image, size, &format, &data, &bytes), 1);
    }
    const uint8_t* image = nullptr;
    uint32_t size = 0;
    const uint8_t* format = nullptr;
    const uint8_t* data = nullptr;
    uint32_t bytes = 0;
};

TEST_P(Sounds, ParsesToTheSlotsFormatAndLength)
{
    const Slot& s = GetParam();
    EXPECT_EQ(u16(format), 1) << "PCM";
    EXPECT_EQ(u16(format + 2), s.channels);
    EXPECT_EQ(u32(format + 4), s.rate);
    EXPECT_EQ(u32(format + 8), s.rate * s.channels * s.bits / 8);
    EXPECT_EQ(u16(format + 12), s.channels * s.bits / 8);
    EXPECT_EQ(u16(format + 14), s.bits);
    EXPECT_EQ(bytes, s.bytes);
    // The RIFF size covers the image exactly, pad byte included.
    EXPECT_EQ(u32(image + 4) + 8, size);
    EXPECT_EQ(size % 2, 0u);
}

TEST_P(Sounds, StartsAndEndsInSilenceWithoutClipping)
{
    const Slot& s = GetParam();
    const uint32_t count = bytes / (s.bits / 8);
    float peak = 0.0f;
    double energy = 0.0;
    for (uint32_t k = 0; k < count; ++k) {
        const float v = sample(s, data, k);
        peak = std::max(peak, std::fabs(v));
        energy += double(v) * double(v);
    }
    EXPECT_LT(peak, 0.97f) << "clipped";
    EXPECT_GT(peak, 0.5f) << "too quiet";
    EXPECT_GT(std::sqrt(energy / count), 0.05) << "mostly silence";
    // No click: the first and last frames are (close to) silence.
    for (uint32_t k = 0; k < s.channels; ++k) {
        EXPECT_LT(std::fabs(sample(s, data, k)), 0.02f);
        EXPECT_LT(std::fabs(sample(s, data, count - 1 - k)), 0.02f);
    }
}

INSTANTIATE_TEST_SUITE_P(FiveSlots, Sounds, ::testing::ValuesIn(slots),
                         [](const ::testing::TestParamInfo<Slot>& info) { return std::string("Resource") + (info.param.name + 1); });

TEST(SoundTable, HoldsExactlyTheFiveResources)
{
    EXPECT_EQ(resource_count, 5);
    const uint8_t* image = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(find_resource("#104", "WAVE", &image, &size), 0);
}

}  // namespace
