// The PCM clip inside a WAVE image, as both sound backends load it.
#pragma once

#include <cstddef>
#include <cstdint>

struct WaveClip {
    const uint8_t* data;  // inside the image
    uint32_t size;        // bytes, a whole number of sample frames
    uint32_t rate;        // samples per second
    uint16_t channels;    // 1 or 2
    uint16_t bits;        // 8 (unsigned) or 16 (signed little-endian)
};

// 1 when the image holds a PCM clip we can play (format tag 1, 1 or 2
// channels, 8 or 16 bits, 1,000 to 192,000 Hz, at least one sample frame);
// 0 otherwise, clip zeroed.
int32_t wave_read_clip(const uint8_t* image, size_t image_size, WaveClip* clip);
