// The five sound effects on SDL2_mixer: each slot's clip is converted once,
// at load, to the mixer's output format and plays on the slot's own mixer
// channel, so starting a slot again cuts it and restarts it while other
// slots mix with it.
#include "platform/common/wave_clip.h"
#include "platform/resources.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdlib>
#include <cstring>


static int32_t audio_open = 0;
static int32_t output_rate = 0;
static uint16_t output_format = 0;
static int32_t output_channels = 0;
static Mix_Chunk* slot_chunk[sound_slot_count] = {};
static uint8_t* slot_samples[sound_slot_count] = {};

static void release_sound_slot(int32_t slot)
{
    if (slot_chunk[slot]) Mix_FreeChunk(slot_chunk[slot]);  // halts its channel first
    std::free(slot_samples[slot]);
    slot_chunk[slot] = nullptr;
    slot_samples[slot] = nullptr;
}

int32_t sound_load_slot_from_image(int32_t slot, const uint8_t* image, size_t image_size)
{
    if (!audio_open || slot < 0 || slot >= sound_slot_count) return 0;
    release_sound_slot(slot);
    WaveClip clip;
    if (!wave_read_clip(image, image_size, &clip)) return 0;

    // SDL_AudioCVT converts the whole clip in one go (SDL 2.26's audio
    // stream drops the last few thousand frames of a resampled clip).
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, clip.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB, uint8_t(clip.channels), int(clip.rate),
                          output_format, uint8_t(output_channels), output_rate) < 0)
        return 0;
    uint8_t* samples = static_cast<uint8_t*>(std::malloc(size_t(clip.size) * size_t(cvt.len_mult)));
    if (!samples) return 0;
    std::memcpy(samples, clip.data, clip.size);
    cvt.buf = samples;
    cvt.len = int(clip.size);
    int32_t length = 0;
    if (!cvt.needed) {
        length = int32_t(clip.size);
    } else if (SDL_ConvertAudio(&cvt) == 0) {
        length = cvt.len_cvt;
    }
    Mix_Chunk* chunk = length > 0 ? Mix_QuickLoad_RAW(samples, uint32_t(length)) : nullptr;
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
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 1;
        if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return 1;
        }
        int rate = 0, channels = 0;
        Uint16 format = 0;
        Mix_QuerySpec(&rate, &format, &channels);
        output_rate = rate;
        output_format = format;
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

int32_t sdl_sound_output(int32_t* rate, int32_t* channels, int32_t* bits)
{
    if (!audio_open) return 0;
    *rate = output_rate;
    *channels = output_channels;
    *bits = int32_t(SDL_AUDIO_BITSIZE(output_format));
    return 1;
}
