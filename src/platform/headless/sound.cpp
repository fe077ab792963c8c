// The headless sound: nothing is heard. A slot counts as loaded when its
// WAVE image holds a playable clip (the same rule as the real output), and
// every sound started is reported to the driver.
#include "platform/common/wave_clip.h"
#include "platform/headless/headless_internal.h"
#include "platform/resources.h"
#include "platform/sound.h"

static int32_t sound_open = 0;
static int32_t slot_loaded[sound_slot_count] = {};

int32_t sound_load_slot_from_image(int32_t slot, const uint8_t* image, size_t image_size)
{
    if (!sound_open || slot < 0 || slot >= sound_slot_count) return 0;
    WaveClip clip;
    slot_loaded[slot] = wave_read_clip(image, image_size, &clip);
    return slot_loaded[slot];
}

int32_t sound_init(Window* window)
{
    (void)window;
    sound_open = 1;
    for (int32_t slot = 0; slot < sound_slot_count; ++slot) {
        const uint8_t* image = nullptr;
        uint32_t size = 0;
        if (!slot_loaded[slot] && find_resource(sound_slot_resources[slot], "WAVE", &image, &size))
            sound_load_slot_from_image(slot, image, size);
    }
    return 1;
}

int32_t play_sound(int32_t slot)
{
    if (!sound_open || slot < 0 || slot >= sound_slot_count || !slot_loaded[slot]) return 0;
    if (headless_driver.sound_played) headless_driver.sound_played(slot, headless_driver.user);
    return 1;
}

int32_t sound_shutdown()
{
    sound_open = 0;
    for (int32_t& loaded : slot_loaded) loaded = 0;
    return 1;
}

void headless_sound_reset()
{
    sound_shutdown();
}
