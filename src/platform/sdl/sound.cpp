// The five sound effects on SDL2_mixer: each slot's clip is converted once,
// at load, to the mixer's output format and plays on the slot's own mixer
// channel, so starting a slot again cuts it and restarts it while other
// slots mix with it.
//
// The conversion is ours: linear interpolation between the clip's samples,
// which never goes beyond the clip's own peak (SDL's resampler overshoots
// and clips a loud 11,025 Hz clip, and SDL 2.26's audio stream drops the
// last few thousand frames of a resampled clip).
#include <fcntl.h>
#include <unistd.h>

#include "platform/common/wave_clip.h"
#include "platform/resources.h"
#include "platform/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static int32_t audio_open = 0;
static int32_t output_rate = 0;
static int32_t output_channels = 0;
static Mix_Chunk* slot_chunk[sound_slot_count] = {};
static int16_t* slot_samples[sound_slot_count] = {};

static void release_sound_slot(int32_t slot)
{
    if (slot_chunk[slot]) Mix_FreeChunk(slot_chunk[slot]);  // halts its channel first
    std::free(slot_samples[slot]);
    slot_chunk[slot] = nullptr;
    slot_samples[slot] = nullptr;
}

// One sample of the clip as signed 16-bit.
static int32_t clip_sample(const WaveClip& clip, uint32_t frame, uint32_t channel)
{
    const uint8_t* at = clip.data + (size_t(frame) * clip.channels + channel) * (clip.bits / 8u);
    return clip.bits == 8 ? (int32_t(at[0]) - 128) * 256 : int32_t(int16_t(at[0] | (at[1] << 8)));
}

// The clip at the output's rate and channels (16-bit in the machine's
// order), interpolated linearly; a mono clip goes to every channel, a
// stereo one to a mono output as the mean of both. Null when memory runs
// out; *frames the output's length.
static int16_t* convert_clip(const WaveClip& clip, uint32_t* frames)
{
    const uint32_t in_frames = clip.size / (clip.channels * (clip.bits / 8u));
    const uint64_t out_frames = uint64_t(in_frames) * uint64_t(output_rate) / clip.rate;
    int16_t* out = static_cast<int16_t*>(std::malloc(size_t(out_frames ? out_frames : 1) * size_t(output_channels) * 2));
    if (!out) return nullptr;
    for (uint64_t n = 0; n < out_frames; ++n) {
        // Position n in the clip, in 1/65536 of a frame.
        const uint64_t at = n * clip.rate * 65536 / uint64_t(output_rate);
        const uint32_t i = uint32_t(at >> 16), next = i + 1 < in_frames ? i + 1 : i;
        const int64_t t = int64_t(at & 0xFFFF);
        for (int32_t c = 0; c < output_channels; ++c) {
            int64_t value = 0;
            const uint32_t from = clip.channels == 2 && output_channels == 1 ? 0 : uint32_t(c) % clip.channels;
            const uint32_t count = clip.channels == 2 && output_channels == 1 ? 2 : 1;
            for (uint32_t k = from; k < from + count; ++k)
                value += clip_sample(clip, i, k) * (65536 - t) + clip_sample(clip, next, k) * t;
            out[n * uint64_t(output_channels) + uint64_t(c)] = int16_t(value / (65536 * int64_t(count)));
        }
    }
    *frames = uint32_t(out_frames);
    return out;
}

int32_t sound_load_slot_from_image(int32_t slot, const uint8_t* image, size_t image_size)
{
    if (!audio_open || slot < 0 || slot >= sound_slot_count) return 0;
    release_sound_slot(slot);
    WaveClip clip;
    uint32_t frames = 0;
    int16_t* samples = wave_read_clip(image, image_size, &clip) ? convert_clip(clip, &frames) : nullptr;
    Mix_Chunk* chunk =
        frames > 0 ? Mix_QuickLoad_RAW(reinterpret_cast<uint8_t*>(samples), frames * uint32_t(output_channels) * 2)
                   : nullptr;
    if (!chunk) {
        std::free(samples);
        return 0;
    }
    slot_chunk[slot] = chunk;
    slot_samples[slot] = samples;
    return 1;
}

static void load_sound_slot(int32_t slot)
{
    if (slot_chunk[slot]) return;
    const uint8_t* image = nullptr;
    uint32_t size = 0;
    if (find_resource(sound_slot_resources[slot], "WAVE", &image, &size)) sound_load_slot_from_image(slot, image, size);
}

int32_t sound_init(Window* window)
{
    (void)window;
    if (!audio_open) {
        // What the sound libraries below SDL print while they look for a
        // device (ALSA's complaints about cards that are not there) is
        // not for the player: one line says what happened.
        std::fflush(stderr);
        const int saved_stderr = dup(2);
        const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (quiet >= 0 && saved_stderr >= 0) dup2(quiet, 2);
        int32_t opened = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        // 16-bit output at 44,100 Hz exactly: the clips are converted for it.
        opened = opened && Mix_OpenAudioDevice(44100, AUDIO_S16SYS, 2, 1024, nullptr, SDL_AUDIO_ALLOW_CHANNELS_CHANGE) == 0;
        if (saved_stderr >= 0) {
            dup2(saved_stderr, 2);
            close(saved_stderr);
        }
        if (quiet >= 0) close(quiet);
        if (!opened) {
            std::fprintf(stderr, "valkron: no sound: %s\n", SDL_GetError());
            if (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return 1;
        }
        int rate = 0, channels = 0;
        Uint16 format = 0;
        Mix_QuerySpec(&rate, &format, &channels);
        output_rate = rate;
        output_channels = channels;
        Mix_AllocateChannels(sound_slot_count);
        audio_open = 1;
    }
    for (int32_t slot = 0; slot < sound_slot_count; ++slot) load_sound_slot(slot);
    return 1;
}

int32_t play_sound(int32_t slot)
{
    if (!audio_open || slot < 0 || slot >= sound_slot_count || !slot_chunk[slot]) return 0;
    return Mix_PlayChannel(slot, slot_chunk[slot], 0) >= 0 ? 1 : 0;
}

int32_t sound_shutdown()
{
    if (!audio_open) return 1;
    Mix_HaltChannel(-1);
    for (int32_t slot = 0; slot < sound_slot_count; ++slot) release_sound_slot(slot);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audio_open = 0;
    return 1;
}
