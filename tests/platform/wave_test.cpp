// parse_wave and the clip check shared by both sound outputs.
#include "platform/common/wave_clip.h"
#include "platform/sound.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
    int32_t result;
    const uint8_t* format;
    const uint8_t* data;
    uint32_t size;
};

Parsed parse(const std::vector<uint8_t>& image)
{
    Parsed p;
    p.format = p.data = reinterpret_cast<const uint8_t*>(&p);  // must be overwritten
    p.size = 12345;
    p.result = parse_wave(image.data(), image.size(), &p.format, &p.data, &p.size);
    return p;
}

void expect_refused(const Parsed& p)
{
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.format, nullptr);
    EXPECT_EQ(p.data, nullptr);
    EXPECT_EQ(p.size, 0u);
}

const std::vector<uint8_t> samples = {1, 2, 3, 4, 5, 6, 7, 8};

}  // namespace

TEST(ParseWave, FindsFormatAndDataInEitherOrder)
{
    auto fmt_first = riff_image({{"fmt ", format_body(1, 11025, 16)}, {"data", samples}});
    Parsed p = parse(fmt_first);
    ASSERT_EQ(p.result, 1);
    EXPECT_EQ(p.format, fmt_first.data() + 20);
    EXPECT_EQ(p.data, fmt_first.data() + 20 + 16 + 8);
    EXPECT_EQ(p.size, samples.size());

    auto data_first = riff_image({{"data", samples}, {"fmt ", format_body(1, 11025, 16)}});
    p = parse(data_first);
    ASSERT_EQ(p.result, 1);
    EXPECT_EQ(p.data, data_first.data() + 20);
    EXPECT_EQ(p.format, data_first.data() + 20 + samples.size() + 8);
    EXPECT_EQ(p.size, samples.size());
}

TEST(ParseWave, FormatBodyMustHaveFourteenBytes)
{
    expect_refused(parse(riff_image({{"fmt ", format_body(1, 11025, 8, 13)}, {"data", samples}})));
    EXPECT_EQ(parse(riff_image({{"fmt ", format_body(1, 11025, 8, 14)}, {"data", samples}})).result, 1);
    // Data found first does not survive a short format after it.
    expect_refused(parse(riff_image({{"data", samples}, {"fmt ", format_body(1, 11025, 8, 13)}})));
}

TEST(ParseWave, SkipsOtherChunksAndPadsOddLengths)
{
    std::vector<uint8_t> odd = {9, 9, 9};
    auto image = riff_image({{"LIST", odd}, {"fmt ", format_body(2, 22050, 8)}, {"junk", {}},
                             {"data", {7, 7, 7, 7, 7}}, {"smpl", {1}}});
    Parsed p = parse(image);
    ASSERT_EQ(p.result, 1);
    EXPECT_EQ(p.format, image.data() + 12 + 8 + 4 + 8);
    EXPECT_EQ(p.size, 5u);
    EXPECT_EQ(p.data[0], 7);

    // Without the pad byte the next chunk header is read one byte early.
    auto unpadded = riff_image({{"LIST", odd, -1, false}, {"fmt ", format_body(1, 11025, 8)}, {"data", samples}});
    EXPECT_EQ(parse(unpadded).result, 0);
}

TEST(ParseWave, FirstFormatAndFirstDataWin)
{
    auto image = riff_image({{"fmt ", format_body(1, 11025, 8)}, {"data", {1, 2}},
                             {"data", {3, 4, 5, 6}}, {"fmt ", format_body(2, 44100, 16)}});
    Parsed p = parse(image);
    ASSERT_EQ(p.result, 1);
    EXPECT_EQ(p.size, 2u);
    EXPECT_EQ(p.format, image.data() + 20);
}

TEST(ParseWave, RefusesChunksRunningPastTheEnd)
{
    // The data chunk claims more bytes than the buffer has.
    auto image = riff_image({{"fmt ", format_body(1, 11025, 8)}, {"data", samples, 100}});
    expect_refused(parse(image));

    // The RIFF size ends the image before the data chunk's body does.
    auto inside = riff_image({{"fmt ", format_body(1, 11025, 8)}, {"data", samples}});
    auto short_riff = inside;
    short_riff[4] = uint8_t(short_riff[4] - 2);
    expect_refused(parse(short_riff));

    // A RIFF size beyond the buffer is bounded by the buffer.
    auto long_riff = riff_image({{"fmt ", format_body(1, 11025, 8)}, {"data", samples}}, 100000);
    EXPECT_EQ(parse(long_riff).result, 1);
    auto long_riff_no_data = riff_image({{"fmt ", format_body(1, 11025, 8)}}, 100000);
    expect_refused(parse(long_riff_no_data));

    // Chunks after the RIFF end are not looked at.
    auto after_end = riff_image({{"fmt ", format_body(1, 11025, 8)}, {"data", samples}},
                                4 + 8 + 16);
    expect_refused(parse(after_end));

    // A truncated chunk header; a format chunk whose body is cut.
    auto cut_header = inside;
    cut_header.resize(12 + 8 + 16 + 4);
    for (int i = 0; i < 4; ++i) cut_header[4 + i] = uint8_t((cut_header.size() - 8) >> (8 * i));
    expect_refused(parse(cut_header));
    auto cut_format = riff_image({{"fmt ", format_body(1, 11025, 8)}});
    cut_format.resize(cut_format.size() - 1);
    expect_refused(parse(cut_format));
}

TEST(ParseWave, RefusesWhatIsNotARiffWave)
{
    auto good = riff_image({{"fmt ", format_body(1, 11025, 8)}, {"data", samples}});
    auto no_riff = good;
    no_riff[0] = 'X';
    expect_refused(parse(no_riff));
    auto no_wave = good;
    no_wave[11] = 'X';
    expect_refused(parse(no_wave));
    expect_refused(parse(std::vector<uint8_t>(good.begin(), good.begin() + 11)));
    expect_refused(parse(riff_image({})));  // nothing after "WAVE"
    auto empty_riff = riff_image({{"fmt ", format_body(1, 11025, 8)}, {"data", samples}}, 4);
    expect_refused(parse(empty_riff));
    expect_refused(parse(riff_image({{"data", samples}})));  // no format
    expect_refused(parse(riff_image({{"fmt ", format_body(1, 11025, 8)}})));  // no data
    EXPECT_EQ(parse_wave(nullptr, 100, nullptr, nullptr, nullptr), 0);
}

TEST(ParseWave, OutputsAreOptional)
{
    auto format_only = riff_image({{"fmt ", format_body(1, 11025, 8)}});
    const uint8_t* format = nullptr;
    EXPECT_EQ(parse_wave(format_only.data(), format_only.size(), &format, nullptr, nullptr), 1);
    EXPECT_EQ(format, format_only.data() + 20);

    // Asking only for the data: a short format chunk is not looked at.
    auto short_format = riff_image({{"fmt ", format_body(1, 11025, 8, 13)}, {"data", samples}});
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(parse_wave(short_format.data(), short_format.size(), nullptr, &data, &size), 1);
    EXPECT_EQ(size, samples.size());
    EXPECT_EQ(parse_wave(short_format.data(), short_format.size(), nullptr, nullptr, &size), 1);
    EXPECT_EQ(parse_wave(short_format.data(), short_format.size(), nullptr, &data, nullptr), 1);
    EXPECT_EQ(data, short_format.data() + 12 + 8 + 14 + 8);  // 13 bytes and a pad byte
}

TEST(WaveClip, ReadsTheFormatsTheGameUses)
{
    struct Case {
        uint16_t channels;
        uint32_t rate;
        uint16_t bits;
    } cases[] = {{2, 22050, 8}, {1, 11025, 8}, {1, 11025, 16}, {1, 22050, 8}, {2, 44100, 16}};
    for (const Case& c : cases) {
        auto image = wave_image(c.channels, c.rate, c.bits, std::vector<uint8_t>(64, 0x80));
        WaveClip clip;
        ASSERT_EQ(wave_read_clip(image.data(), image.size(), &clip), 1);
        EXPECT_EQ(clip.channels, c.channels);
        EXPECT_EQ(clip.rate, c.rate);
        EXPECT_EQ(clip.bits, c.bits);
        EXPECT_EQ(clip.size, 64u);
    }
}

TEST(WaveClip, TrimsToWholeFramesAndRefusesWhatCannotPlay)
{
    WaveClip clip;
    auto odd = wave_image(2, 22050, 16, std::vector<uint8_t>(10, 0));  // 2.5 frames
    ASSERT_EQ(wave_read_clip(odd.data(), odd.size(), &clip), 1);
    EXPECT_EQ(clip.size, 8u);

    // A 14-byte format record: the bits come from the block alignment.
    auto short_format = riff_image({{"fmt ", format_body(2, 11025, 16, 14)}, {"data", std::vector<uint8_t>(8)}});
    ASSERT_EQ(wave_read_clip(short_format.data(), short_format.size(), &clip), 1);
    EXPECT_EQ(clip.bits, 16);

    auto refused = [&](const std::vector<uint8_t>& image) {
        WaveClip c;
        c.size = 99;
        int32_t result = wave_read_clip(image.data(), image.size(), &c);
        return result == 0 && c.size == 0 && c.data == nullptr;
    };
    EXPECT_TRUE(refused(riff_image({{"fmt ", format_body(1, 11025, 16, 16, 3)}, {"data", samples}})));  // float
    EXPECT_TRUE(refused(wave_image(1, 11025, 24, samples)));
    EXPECT_TRUE(refused(wave_image(3, 11025, 8, samples)));
    EXPECT_TRUE(refused(wave_image(0, 11025, 8, samples)));
    EXPECT_TRUE(refused(wave_image(1, 0, 8, samples)));
    EXPECT_TRUE(refused(wave_image(1, 11025, 16, {})));
    EXPECT_TRUE(refused(wave_image(2, 11025, 16, {1, 2, 3})));  // less than one frame
    EXPECT_TRUE(refused({'R', 'I', 'F', 'F'}));
}
