// Writes PCM RIFF WAVE images in memory: the game data generator packs its
// sound effects with it, valkron-demo its beeps, and the tests their clips.
#pragma once

#include <cstdint>
#include <vector>

// Little-endian fields.
inline void put_u16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

inline void put_u32(std::vector<uint8_t>& out, uint32_t v)
{
    put_u16(out, v & 0xFFFF);
    put_u16(out, v >> 16);
}

// "RIFF", the size, "WAVE", a 16-byte PCM "fmt " chunk and a "data" chunk of
// the samples as given (interleaved frames), with the pad byte after an odd
// count.
inline std::vector<uint8_t> wave_image(uint16_t channels, uint32_t rate, uint16_t bits,
                                       const std::vector<uint8_t>& samples)
{
    const uint32_t size = uint32_t(samples.size());
    const uint32_t pad = size & 1;
    const uint16_t align = uint16_t(channels * bits / 8);
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    put_u32(out, 4 + (8 + 16) + (8 + size + pad));
    for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}) out.push_back(uint8_t(c));
    put_u32(out, 16);
    put_u16(out, 1);  // PCM
    put_u16(out, channels);
    put_u32(out, rate);
    put_u32(out, rate * align);
    put_u16(out, align);
    put_u16(out, bits);
    for (char c : {'d', 'a', 't', 'a'}) out.push_back(uint8_t(c));
    put_u32(out, size);
    out.insert(out.end(), samples.begin(), samples.end());
    if (pad) out.push_back(0);
    return out;
}
