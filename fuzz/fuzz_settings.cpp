// libFuzzer target: read_settings on arbitrary bytes as the settings file.
// Whatever the file holds, every setting ends in its range or as read, the
// names are terminated, and the options are whole "key=value" lines.
#include <cstdlib>
#include <cstring>

#include "fuzz_input.h"
#include "shell/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    settings_folder = fuzz_folder();
    fuzz_file("settings.ini", data, size);
    reset_settings();
    read_settings();
    bool bad = resolution_index < 0 || resolution_index >= resolution_count;
    for (int player = 0; player < 2; ++player) {
        bad = bad || plane_index[player] < 0 || plane_index[player] >= plane_count ||
              std::strcmp(plane_name[player], plane_names[plane_index[player]]) != 0 ||
              std::memchr(player_name[player], 0, sizeof player_name[player]) == nullptr;
    }
    for (const char* key : {"Fullscreen", "Window"}) {
        const char* value = settings_option(key);
        bad = bad || (value && std::strchr(value, '\n'));
    }
    if (bad) std::abort();
    return 0;
}
