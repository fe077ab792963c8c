#include "platform/sound.h"

const char* const sound_slot_resources[sound_slot_count] = {"#103", "#111", "#112", "#110", "#108"};
