// libFuzzer target: the WAVE parser and the PCM clip reader on arbitrary
// bytes. Whatever is found lies inside the image, and a clip is whole
// sample frames of a format the sound backends play.
#include <cstdlib>

#include "platform/common/wave_clip.h"
#include "platform/sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* end = data + size;
    for (int asked = 0; asked < 8; ++asked) {
        const uint8_t* format = nullptr;
        const uint8_t* samples = nullptr;
        uint32_t length = 0;
        const int32_t found = parse_wave(data, size, asked & 1 ? &format : nullptr, asked & 2 ? &samples : nullptr,
                                         asked & 4 ? &length : nullptr);
        if (found && ((format && (format < data + 20 || format + 14 > end)) || (samples && samples + length > end)))
            std::abort();
    }
    WaveClip clip;
    if (wave_read_clip(data, size, &clip)) {
        const uint32_t frame = clip.channels * clip.bits / 8u;
        if (clip.data < data || clip.data + clip.size > end || clip.size == 0 || clip.size % frame != 0 ||
            (clip.bits != 8 && clip.bits != 16) || clip.rate < 1000 || clip.rate > 192000)
            std::abort();
        volatile uint32_t sum = 0;
        for (uint32_t i = 0; i < clip.size; ++i) sum = sum + clip.data[i];  // every byte readable
    }
    return 0;
}
