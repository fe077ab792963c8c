// RIFF WAVE images for the tests: well-formed clips (wave_image, from the
// tools' writer), tones, and images put together chunk by chunk, lying
// sizes and all, for the parser's edge cases.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "../../tools/common/wave_writer.h"

struct TestChunk {
    std::string id;           // four characters
    std::vector<uint8_t> body;
    int64_t declared = -1;    // length field when it should lie (-1: the body's size)
    bool pad = true;          // add the pad byte after an odd body
};

// "RIFF", size, "WAVE", then the chunks. riff_size < 0 writes the true size.
inline std::vector<uint8_t> riff_image(const std::vector<TestChunk>& chunks, int64_t riff_size = -1)
{
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const TestChunk& chunk : chunks) {
        for (char c : chunk.id) out.push_back(uint8_t(c));
        put_u32(out, uint32_t(chunk.declared >= 0 ? chunk.declared : int64_t(chunk.body.size())));
        out.insert(out.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.pad && (chunk.body.size() & 1)) out.push_back(0);
    }
    const uint32_t size = uint32_t(riff_size >= 0 ? riff_size : int64_t(out.size() - 8));
    for (int i = 0; i < 4; ++i) out[4 + i] = uint8_t(size >> (8 * i));
    return out;
}

// A WAVEFORMATEX body: 16 bytes, or 14 without the bits field, or 18 with cbSize.
inline std::vector<uint8_t> format_body(uint16_t channels, uint32_t rate, uint16_t bits, size_t length = 16,
                                        uint16_t tag = 1)
{
    std::vector<uint8_t> out;
    const uint16_t align = uint16_t(channels * bits / 8);
    put_u16(out, tag);
    put_u16(out, channels);
    put_u32(out, rate);
    put_u32(out, rate * align);
    put_u16(out, align);
    put_u16(out, bits);
    out.resize(length, 0);
    return out;
}

// A sine tone: frames sample frames at rate, amplitude of full scale
// (0..1), one frequency per channel.
inline std::vector<uint8_t> tone_samples(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t frames,
                                         const std::vector<double>& frequencies, double amplitude)
{
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < frames; ++i) {
        for (uint16_t c = 0; c < channels; ++c) {
            const double v = amplitude * std::sin(2.0 * 3.14159265358979 * frequencies[c] * i / rate);
            if (bits == 8) {
                out.push_back(uint8_t(std::lround(128.0 + 127.0 * v)));
            } else {
                put_u16(out, uint16_t(int16_t(std::lround(32767.0 * v))));
            }
        }
    }
    return out;
}
