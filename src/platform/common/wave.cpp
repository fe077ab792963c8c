// RIFF WAVE images: finding the "fmt " and "data" chunks, and reading the
// PCM layout both backends need from them.
#include "platform/common/wave_clip.h"
#include "platform/sound.h"

#include <cstring>

static uint32_t read_u32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

static uint16_t read_u16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

int32_t parse_wave(const uint8_t* image, size_t image_size, const uint8_t** format,
                   const uint8_t** data, uint32_t* data_size)
{
    if (format) *format = nullptr;
    if (data) *data = nullptr;
    if (data_size) *data_size = 0;
    if (!image || image_size < 12) return 0;
    if (std::memcmp(image, "RIFF", 4) != 0 || std::memcmp(image + 8, "WAVE", 4) != 0) return 0;

    // The image ends 8 bytes after its start plus the RIFF size, and never
    // past the bytes we were given.
    uint64_t end = 8 + uint64_t(read_u32(image + 4));
    if (end > image_size) end = image_size;
    uint64_t offset = 12;
    if (offset >= end) return 0;

    const uint8_t* found_format = nullptr;
    const uint8_t* found_data = nullptr;
    uint32_t found_size = 0;
    int32_t have_data = 0;  // the data and its size are found together
    int32_t done = 0;

    while (!done) {
        if (offset + 8 > end) return 0;
        const uint8_t* chunk = image + offset;
        uint32_t length = read_u32(chunk + 4);
        int32_t body_fits = offset + 8 + uint64_t(length) <= end;

        if (std::memcmp(chunk, "fmt ", 4) == 0 && format && !found_format) {
            if (length < 14 || !body_fits) return 0;
            found_format = chunk + 8;
            done = (!data && !data_size) || have_data;
        } else if (std::memcmp(chunk, "data", 4) == 0 && (data || data_size) && !have_data) {
            if (!body_fits) return 0;
            found_data = chunk + 8;
            found_size = length;
            have_data = 1;
            done = !format || found_format;
        }
        if (!done) {
            offset += 8 + uint64_t(length) + (length & 1);
            if (offset >= end) return 0;
        }
    }
    if (format) *format = found_format;
    if (data) *data = found_data;
    if (data_size) *data_size = found_size;
    return 1;
}

int32_t wave_read_clip(const uint8_t* image, size_t image_size, WaveClip* clip)
{
    std::memset(clip, 0, sizeof *clip);
    const uint8_t* format = nullptr;
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!parse_wave(image, image_size, &format, &data, &size)) return 0;

    uint16_t tag = read_u16(format);
    uint16_t channels = read_u16(format + 2);
    uint32_t rate = read_u32(format + 4);
    uint16_t block_align = read_u16(format + 12);
    // A 14-byte format record has no bits-per-sample field: the block
    // alignment tells it.
    const uint8_t* length_field = format - 4;
    uint16_t bits = read_u32(length_field) >= 16 ? read_u16(format + 14)
                    : channels ? uint16_t(block_align * 8 / channels) : 0;

    if (tag != 1) return 0;  // PCM only
    if (channels != 1 && channels != 2) return 0;
    if (bits != 8 && bits != 16) return 0;
    if (rate < 1000 || rate > 192000) return 0;
    uint16_t frame = uint16_t(channels * bits / 8);
    size -= size % frame;
    if (size == 0) return 0;

    clip->data = data;
    clip->size = size;
    clip->rate = rate;
    clip->channels = channels;
    clip->bits = bits;
    return 1;
}
