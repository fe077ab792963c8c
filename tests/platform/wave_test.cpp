// parse_wave and the clip check shared by both sound outputs.
#include <gtest/gtest.h>

#include "platform/common/wave_clip.h"
#include "platform/sound.h"
#include "wave_builder.h"

namespace {

const std::vector<uint8_t> samples = {1, 2, 3, 4, 5, 6, 7, 8};
const std::vector<uint8_t> fmt8 = format_body(1, 11025, 8);

std::vector<uint8_t> cut(std::vector<uint8_t> image, size_t size, bool riff_follows)
{
    image.resize(size);
    for (int i = 0; riff_follows && i < 4; ++i) image[4 + i] = uint8_t((size - 8) >> (8 * i));
    return image;
}

std::vector<uint8_t> with_byte(std::vector<uint8_t> image, size_t at, uint8_t value)
{
    image[at] = value;
    return image;
}

TEST(ParseWave, FindsTheChunksOrRefusesTheImage)
{
    const auto good = riff_image({{"fmt ", fmt8}, {"data", samples}});  // 52 bytes, RIFF size 44
    const std::vector<uint8_t> odd = {9, 9, 9};
    const struct {
        const char* what;
        std::vector<uint8_t> image;
        size_t format_at, data_at;  // 0: refused
        uint32_t size;
    } cases[] = {
        {"format then data", good, 20, 44, 8},
        {"data then format", riff_image({{"data", samples}, {"fmt ", fmt8}}), 36, 20, 8},
        {"a 14-byte format", riff_image({{"fmt ", format_body(1, 11025, 8, 14)}, {"data", samples}}), 20, 42, 8},
        {"a 13-byte format", riff_image({{"fmt ", format_body(1, 11025, 8, 13)}, {"data", samples}}), 0, 0, 0},
        {"data before a 13-byte format",
         riff_image({{"data", samples}, {"fmt ", format_body(1, 11025, 8, 13)}}), 0, 0, 0},
        {"other chunks, odd lengths padded",
         riff_image({{"LIST", odd}, {"fmt ", fmt8}, {"junk", {}}, {"data", {7, 7, 7, 7, 7}}, {"smpl", {1}}}), 32, 64,
         5},
        {"an odd chunk without its pad byte",
         riff_image({{"LIST", odd, -1, false}, {"fmt ", fmt8}, {"data", samples}}), 0, 0, 0},
        {"the first format and data win",
         riff_image({{"fmt ", fmt8}, {"data", {1, 2}}, {"data", {3, 4, 5, 6}}, {"fmt ", format_body(2, 44100, 16)}}),
         20, 44, 2},
        {"data longer than the image", riff_image({{"fmt ", fmt8}, {"data", samples, 100}}), 0, 0, 0},
        {"a RIFF size one short of the data's end", riff_image({{"fmt ", fmt8}, {"data", samples}}, 43), 0, 0, 0},
        {"a RIFF size beyond the image", riff_image({{"fmt ", fmt8}, {"data", samples}}, 100000), 20, 44, 8},
        {"no data within the image", riff_image({{"fmt ", fmt8}}, 100000), 0, 0, 0},
        {"data after the RIFF end", riff_image({{"fmt ", fmt8}, {"data", samples}}, 28), 0, 0, 0},
        {"a cut chunk header", cut(good, 40, true), 0, 0, 0},
        {"a cut format body", cut(riff_image({{"fmt ", fmt8}}), 35, false), 0, 0, 0},
        {"not RIFF", with_byte(good, 0, 'X'), 0, 0, 0},
        {"not WAVE", with_byte(good, 11, 'X'), 0, 0, 0},
        {"eleven bytes", cut(good, 11, false), 0, 0, 0},
        {"nothing after WAVE", riff_image({}), 0, 0, 0},
        {"a RIFF size of 4", riff_image({{"fmt ", fmt8}, {"data", samples}}, 4), 0, 0, 0},
        {"no format", riff_image({{"data", samples}}), 0, 0, 0},
        {"no data", riff_image({{"fmt ", fmt8}}), 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const uint8_t* format = c.image.data();  // must be overwritten
        const uint8_t* data = c.image.data();
        uint32_t size = 12345;
        EXPECT_EQ(parse_wave(c.image.data(), c.image.size(), &format, &data, &size), c.format_at ? 1 : 0);
        EXPECT_EQ(format, c.format_at ? c.image.data() + c.format_at : nullptr);
        EXPECT_EQ(data, c.data_at ? c.image.data() + c.data_at : nullptr);
        EXPECT_EQ(size, c.size);
    }
    EXPECT_EQ(parse_wave(nullptr, 100, nullptr, nullptr, nullptr), 0);
}

TEST(ParseWave, OutputsAreOptional)
{
    const auto format_only = riff_image({{"fmt ", fmt8}});
    const uint8_t* format = nullptr;
    EXPECT_EQ(parse_wave(format_only.data(), format_only.size(), &format, nullptr, nullptr), 1);
    EXPECT_EQ(format, format_only.data() + 20);
    // Asking only for the data: a short format chunk is not looked at.
    const auto short_format = riff_image({{"fmt ", format_body(1, 11025, 8, 13)}, {"data", samples}});
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(parse_wave(short_format.data(), short_format.size(), nullptr, &data, nullptr), 1);
    EXPECT_EQ(data, short_format.data() + 42);  // 13 bytes and a pad byte
    EXPECT_EQ(parse_wave(short_format.data(), short_format.size(), nullptr, nullptr, &size), 1);
    EXPECT_EQ(size, samples.size());
}

TEST(WaveClip, ReadsPlayablePcmAndRefusesTheRest)
{
    const struct {
        std::vector<uint8_t> image;
        uint32_t size;  // 0: refused
        uint16_t channels, bits;
        uint32_t rate;
    } cases[] = {
        {wave_image(2, 22050, 8, std::vector<uint8_t>(64, 0x80)), 64, 2, 8, 22050},
        {wave_image(1, 11025, 16, std::vector<uint8_t>(64, 0)), 64, 1, 16, 11025},
        {wave_image(2, 22050, 16, std::vector<uint8_t>(10, 0)), 8, 2, 16, 22050},  // whole frames only
        // A 14-byte format: the bits come from the block alignment.
        {riff_image({{"fmt ", format_body(2, 11025, 16, 14)}, {"data", samples}}), 8, 2, 16, 11025},
        {riff_image({{"fmt ", format_body(1, 11025, 16, 16, 3)}, {"data", samples}}), 0, 0, 0, 0},  // float
        {wave_image(1, 11025, 24, samples), 0, 0, 0, 0},
        {wave_image(3, 11025, 8, samples), 0, 0, 0, 0},
        {wave_image(0, 11025, 8, samples), 0, 0, 0, 0},
        {wave_image(1, 999, 8, samples), 0, 0, 0, 0},
        {wave_image(1, 192001, 8, samples), 0, 0, 0, 0},
        {wave_image(1, 11025, 16, {}), 0, 0, 0, 0},
        {wave_image(2, 11025, 16, {1, 2, 3}), 0, 0, 0, 0},  // less than one frame
        {{'R', 'I', 'F', 'F'}, 0, 0, 0, 0},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        WaveClip clip;
        clip.size = 99;
        EXPECT_EQ(wave_read_clip(cases[k].image.data(), cases[k].image.size(), &clip), cases[k].size ? 1 : 0);
        EXPECT_EQ(clip.size, cases[k].size);
        EXPECT_EQ(clip.channels, cases[k].channels);
        EXPECT_EQ(clip.bits, cases[k].bits);
        EXPECT_EQ(clip.rate, cases[k].rate);
        EXPECT_EQ(clip.data == nullptr, cases[k].size == 0);
    }
}

}  // namespace
