// The pictures start-up reads for the whole run and the screens and the
// match draw from: the explosion frames, the menu background and the aiming
// mark. All pixels 0x00RRGGBB.
#pragma once

#include <cstdint>

// The transparent value of the explosion frames and the credits source.
constexpr uint32_t key_colour = 0x0000FCFF;

constexpr int32_t explosion_width = 112;
constexpr int32_t explosion_height = 102;
constexpr int32_t explosion_pixels = explosion_width * explosion_height;  // 11,424
constexpr int32_t explosion_count = 17;
constexpr int32_t target_width = 103;
constexpr int32_t target_height = 72;
constexpr int32_t menu_picture_width = 400;
constexpr int32_t menu_picture_height = 300;

extern uint32_t* explosion_frames;  // explosion_count pictures, one after another
extern uint32_t menu_picture[menu_picture_width * menu_picture_height];
extern uint32_t* menu_background;   // res_x x res_y
extern uint32_t* target_picture;    // 103 x 72, 0 = transparent

// A pixel buffer of count pixels (at least one); null when count is
// negative or memory runs out.
uint32_t* allocate_pixels(int64_t count);

// Reads "Data\Expl1.tex" to "Data\Expl17.tex" into explosion_frames
// (allocated here). Null on success, else the name of what failed.
const char* load_explosion_frames();
// Reads "Data\Menu.tex" into menu_picture and scales it into
// menu_background (width x height). False when the file cannot be opened.
bool load_menu_background(int32_t width, int32_t height);
// Scales menu_picture into menu_background (width x height), nearest
// neighbour.
void scale_menu_background(int32_t width, int32_t height);
// Reads "Data\Target.tex" into target_picture and clears its red pixels.
bool load_target_picture();
// Clearly red pixels (red above green + 10 and above blue + 10) become 0,
// the transparent value.
void clear_red_pixels(uint32_t* pixels, int32_t count);
// Frees the explosion frames, the menu background and the aiming mark.
void release_pictures();
