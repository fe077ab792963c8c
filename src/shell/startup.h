// Program entry, the settings globals, and the pictures and scenes held for
// the whole run.
#pragma once

#include <cstdint>

#include "assets/scene.h"
#include "assets/texture.h"
#include "engine/math3d.h"

struct Window;

constexpr int32_t resolution_count = 6;
extern const int32_t resolution_widths[resolution_count];   // 400 512 640 640 800 1024
extern const int32_t resolution_heights[resolution_count];  // 300 384 400 480 600 768

constexpr int32_t plane_count = 6;
extern const char plane_names[plane_count][12];

// Settings (defaults, then the settings file).
extern int32_t res_x;
extern int32_t res_y;
extern int32_t frag_limit;
extern int32_t resolution_index;
extern int32_t plane_index[2];
extern char plane_name[2][16];
extern char player_name[2][32];

// The transparent value of the explosion frames and the credits source.
constexpr uint32_t key_colour = 0x0000FCFF;

constexpr int32_t explosion_width = 112;
constexpr int32_t explosion_height = 102;
constexpr int32_t explosion_pixels = explosion_width * explosion_height;  // 11,424
constexpr int32_t explosion_count = 17;
constexpr int32_t target_width = 103;
constexpr int32_t target_height = 72;
constexpr int32_t credits_width = 320;
constexpr int32_t credits_height = 200;
constexpr int32_t menu_picture_width = 400;
constexpr int32_t menu_picture_height = 300;

extern uint32_t* explosion_frames;  // explosion_count pictures, one after another
extern uint32_t* view_buffer;       // (res_y / 2) * res_x pixels: one player's view
extern Texture* quorba_texture;
extern uint32_t* credits_picture;   // 320 x 200
extern uint32_t menu_picture[menu_picture_width * menu_picture_height];
extern uint32_t* menu_background;   // res_x x res_y
extern uint32_t* target_picture;    // 103 x 72, 0 = transparent
extern Scene* fire_scene;
extern Texture* fire_texture;
extern Scene* plane_scene[2];       // the intro model in slot 0 until a match
extern Texture* plane_texture[2];
extern Matrix4 base_matrix;
extern Window* main_window;

// resolution_index for a screen height: 300 -> 0 ... 768 -> 5, others 0.
int32_t resolution_index_for_height(int32_t height);

// A pixel buffer of count pixels (at least one); null when count is
// negative or memory runs out.
uint32_t* allocate_pixels(int64_t count);
// Pixels of the view buffer for a screen: (height / 2) x width, or the
// (width / 2) x height of one player's view when that is more (odd
// heights). Negative for a negative size.
int64_t view_buffer_pixels(int32_t width, int32_t height);

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
// Loads the intro model into slot 0 and sets the intro camera. False when
// "models\intro.3ds" cannot be read or holds no mesh.
bool load_intro_model();

// Everything start-up and the run allocated, freed (null-safe), so that
// the normal end, a failed start-up and a test leave nothing behind.
void release_program_resources();

// Every global the program relies on, at its program-start value (settings
// defaults, mode flags, menu and credits phases, controls, the match
// state), so that one process can run the game more than once.
void reset_program_state();

// credits_picture from quorba_texture: two transposed halves side by side,
// white (0xFFFFFFFF) where nothing is copied.
void build_credits_picture();

// The program: start-up, message loop, clean-up. Returns the exit code.
int32_t WinMain(void* instance, void* previous_instance, const char* command_line,
                int32_t show_command);
