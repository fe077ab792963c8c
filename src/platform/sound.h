// The five sound effects, WAVE images compiled into the program.
#pragma once

#include <cstddef>
#include <cstdint>

struct Window;

// The effects by slot.
enum : int32_t {
    sound_menu_move = 0,    // "#103"
    sound_menu_choice = 1,  // "#111"
    sound_shot = 2,         // "#112"
    sound_hit = 3,          // "#110"
    sound_frag = 4,         // "#108": a death, and the end of a match
    sound_slot_count = 5,
};
// The WAVE resource each slot plays, by slot.
extern const char* const sound_slot_resources[sound_slot_count];

// Opens the audio output and loads the five slots. Always 1; without an
// audio device the game is silent.
int32_t sound_init(Window* window);
// Restarts the slot's sound from its beginning. 1 when started, 0 when there
// is no audio or the slot is empty.
int32_t play_sound(int32_t slot);
// Gives everything back. Always 1.
int32_t sound_shutdown();

// Loads slot from a WAVE image instead of the program's resource (tools and
// tests; the game never calls it). Replaces what the slot held. 1 when the
// slot now holds the clip, 0 otherwise (no audio since sound_init, or an
// image that is not a playable PCM clip: the slot is then empty). The image
// is converted at once and not kept.
int32_t sound_load_slot_from_image(int32_t slot, const uint8_t* image, size_t image_size);

// Finds the "fmt " and "data" chunks of a RIFF WAVE image of image_size
// bytes. Each output is optional (null to skip it). Returns 1 when every
// requested output was found, 0 otherwise (outputs null / 0 then).
int32_t parse_wave(const uint8_t* image, size_t image_size, const uint8_t** format,
                   const uint8_t** data, uint32_t* data_size);
