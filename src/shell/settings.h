// The player's settings: the screen size, the frag limit, both aeroplanes
// and both names, kept between runs in the settings file. The file's first
// seven lines are read by position; options of our own follow them as
// "Key=Value" lines, found by key.
#pragma once

#include <cstdint>
#include <string>

constexpr int32_t resolution_count = 6;
extern const int32_t resolution_widths[resolution_count];   // 400 512 640 640 800 1024
extern const int32_t resolution_heights[resolution_count];  // 300 384 400 480 600 768

constexpr int32_t plane_count = 6;
extern const char plane_names[plane_count][12];

extern int32_t res_x;
extern int32_t res_y;
extern int32_t frag_limit;
extern int32_t resolution_index;
extern int32_t plane_index[2];
extern char plane_name[2][16];
extern char player_name[2][32];

// resolution_index for a screen height: 300 -> 0 ... 768 -> 5, others 0.
int32_t resolution_index_for_height(int32_t height);

// The folder the settings file lives in. Empty (the start value): the
// working directory, where the file is read as "settings.ini" and written
// as "Settings.ini" (one file, whatever the letter case). Otherwise a folder
// of its own, for an installed game (set by main before the game starts),
// with the file "settings.ini" in it; writing creates the folder when it is
// missing. Not part of the state reset_settings restores.
extern std::string settings_folder;

// Every setting at its default, the default names included; no options.
void reset_settings();
void read_settings();
void write_settings();

// Options after the seven lines: the value the file gave for key (the text
// after the first "=" of the first line "key=..."), or null. Setting one
// keeps it for the next write, in the order options were first met.
const char* settings_option(const char* key);
void set_settings_option(const char* key, const std::string& value);
