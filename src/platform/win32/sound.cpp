// The five sound effects on DirectSound: each WAVE resource of the
// executable (resources.cpp) is copied once into its own static secondary
// buffer; playing a slot rewinds its buffer and starts it once, so a
// playing effect restarts while other slots mix with it. A lost buffer is restored and
// filled again from its resource the next time its slot plays.
#include "platform/resources.h"
#include "platform/sound.h"
#include "platform/win32/win32_internal.h"

#include <mmsystem.h>
#include <dsound.h>

#include <cstring>

struct SoundState {
    IDirectSound* sound;
    IDirectSoundBuffer* slots[sound_slot_count];
};

static SoundState state = {};

static int32_t sound_create(Window* window)
{
    if (state.sound) return 1;
    if (FAILED(DirectSoundCreate(nullptr, &state.sound, nullptr))) {
        state.sound = nullptr;
        return 0;
    }
    if (FAILED(state.sound->SetCooperativeLevel(win32_window_handle(window), DSSCL_NORMAL))) {
        state.sound->Release();
        state.sound = nullptr;
        return 0;
    }
    return 1;
}

static int32_t fill_sound_buffer(IDirectSoundBuffer* buffer, const uint8_t* data, uint32_t size)
{
    if (!buffer || !data || size == 0) return 0;
    void* first = nullptr;
    void* second = nullptr;
    DWORD first_size = 0, second_size = 0;
    if (FAILED(buffer->Lock(0, size, &first, &first_size, &second, &second_size, 0))) return 0;
    if (first_size > size) first_size = size;
    std::memcpy(first, data, first_size);
    if (second && second_size > 0) {
        if (second_size > size - first_size) second_size = size - first_size;
        std::memcpy(second, data + first_size, second_size);
    }
    buffer->Unlock(first, first_size, second, second_size);
    return 1;
}

// A static buffer holding the clip of a WAVE image; null when the image is
// not a WAVE image or DirectSound refuses its format.
static IDirectSoundBuffer* create_wave_buffer(const uint8_t* image, uint32_t image_size)
{
    const uint8_t* format = nullptr;
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!parse_wave(image, image_size, &format, &data, &size) || size == 0) return nullptr;
    // The "fmt " body is at least 14 bytes; a plain PCM record ends before
    // cbSize, which then counts as 0.
    uint32_t format_size = uint32_t(format[-4]) | (uint32_t(format[-3]) << 8) | (uint32_t(format[-2]) << 16) |
                           (uint32_t(format[-1]) << 24);
    WAVEFORMATEX wave_format = {};
    std::memcpy(&wave_format, format, format_size < sizeof wave_format ? format_size : sizeof wave_format);
    if (format_size < sizeof wave_format) wave_format.cbSize = 0;

    DSBUFFERDESC description = {};
    description.dwSize = sizeof description;
    description.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    description.dwBufferBytes = size;
    description.lpwfxFormat = &wave_format;
    IDirectSoundBuffer* buffer = nullptr;
    if (FAILED(state.sound->CreateSoundBuffer(&description, &buffer, nullptr))) return nullptr;
    if (!fill_sound_buffer(buffer, data, size)) {
        buffer->Release();
        return nullptr;
    }
    return buffer;
}

static void release_sound_slot(int32_t slot)
{
    if (state.slots[slot]) state.slots[slot]->Release();
    state.slots[slot] = nullptr;
}

static void load_sound_slot(int32_t slot)
{
    const uint8_t* image = nullptr;
    uint32_t size = 0;
    if (state.sound && !state.slots[slot] && find_resource(sound_slot_resources[slot], "WAVE", &image, &size))
        state.slots[slot] = create_wave_buffer(image, size);
}

int32_t sound_load_slot_from_image(int32_t slot, const uint8_t* image, size_t image_size)
{
    if (!state.sound || slot < 0 || slot >= sound_slot_count) return 0;
    release_sound_slot(slot);
    if (image_size > UINT32_MAX) return 0;
    state.slots[slot] = create_wave_buffer(image, uint32_t(image_size));
    return state.slots[slot] != nullptr;
}

int32_t sound_init(Window* window)
{
    if (!sound_create(window)) return 1;  // no audio: the game is silent
    for (int32_t slot = 0; slot < sound_slot_count; ++slot) load_sound_slot(slot);
    // Playing the primary buffer keeps the output running between effects.
    DSBUFFERDESC description = {};
    description.dwSize = sizeof description;
    description.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    if (SUCCEEDED(state.sound->CreateSoundBuffer(&description, &primary, nullptr))) {
        primary->Play(0, 0, DSBPLAY_LOOPING);
        primary->Release();
    }
    return 1;
}

// Fills a restored buffer again from its slot's resource.
static HRESULT reload_wave_buffer(IDirectSoundBuffer* buffer, int32_t slot)
{
    const uint8_t* image = nullptr;
    const uint8_t* data = nullptr;
    uint32_t image_size = 0, size = 0;
    if (!find_resource(sound_slot_resources[slot], "WAVE", &image, &image_size) ||
        !parse_wave(image, image_size, nullptr, &data, &size))
        return E_FAIL;
    HRESULT result = buffer->Restore();
    if (FAILED(result)) return result;
    return fill_sound_buffer(buffer, data, size) ? S_OK : E_FAIL;
}

int32_t play_sound(int32_t slot)
{
    if (!state.sound || slot < 0 || slot >= sound_slot_count || !state.slots[slot]) return 0;
    IDirectSoundBuffer* buffer = state.slots[slot];
    buffer->SetCurrentPosition(0);
    HRESULT result = buffer->Play(0, 0, 0);
    if (result == DSERR_BUFFERLOST) {
        result = buffer->Restore();
        if (SUCCEEDED(result)) result = reload_wave_buffer(buffer, slot);
        if (SUCCEEDED(result)) {
            buffer->SetCurrentPosition(0);
            result = buffer->Play(0, 0, 0);
        }
    }
    return SUCCEEDED(result) ? 1 : 0;
}

int32_t sound_shutdown()
{
    for (int32_t slot = 0; slot < sound_slot_count; ++slot) release_sound_slot(slot);
    if (state.sound) state.sound->Release();
    state.sound = nullptr;
    return 1;
}
