#include "shell/screens.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/files.h"
#include "assets/font.h"
#include "engine/engine.h"
#include "engine/math3d.h"
#include "engine/render.h"
#include "game/aircraft.h"
#include "game/pilot.h"
#include "game/world.h"
#include "shell/pictures.h"
#include "shell/settings.h"
#include "shell/text_lines.h"
#include "shell/window_proc.h"

char** help_lines = nullptr;
int32_t help_line_count = 0;
int32_t help_scroll = 0;

namespace {

constexpr uint32_t help_colour = 0x0096FF64;

// g from a fade product: rising while t is in the first half, then falling.
uint32_t fade_green(int32_t v, bool rising)
{
    const uint32_t low = static_cast<uint32_t>(v) & 0xFF;
    return (rising ? low : 255 - low) << 8;
}

void frame_text(const char* text, int32_t x, int32_t y, uint32_t colour)
{
    draw_text(text, x, y, res_x, res_y, colour, engine.frame_buffer);
}

// The intro's fading line for t.
void intro_text(int32_t t)
{
    const int32_t y = res_y / 2 - 4;
    if (t >= 1 && t <= 299) {
        const int32_t v = static_cast<int32_t>(static_cast<float>(t) * 1.7f);
        frame_text("This computer is executting ...", res_x / 2 - 124, y, fade_green(v, t <= 150));
    } else if (t >= 301 && t <= 599) {
        const int32_t v = static_cast<int32_t>(static_cast<float>(t - 300) * 1.7f);
        frame_text("... a game by Mr.Brenn and Tav ...", res_x / 2 - 136, y, fade_green(v, t <= 450));
    } else if (t >= 601 && t <= 999) {
        const int32_t v = static_cast<int32_t>(static_cast<float>(t - 600) * 1.275f);
        frame_text("VALKRON 3D", res_x / 2 - 40, y, fade_green(v, t <= 800));
    }
}

void free_intro_model()
{
    release_scene(plane_scene[0]);
    plane_scene[0] = nullptr;
    release_texture(plane_texture[0]);
    plane_texture[0] = nullptr;
}

}  // namespace

bool load_intro_model()
{
    plane_scene[0] = load_scene("models\\intro.3ds");
    if (!plane_scene[0]) {
        return false;
    }
    if (plane_scene[0]->mesh_count < 1) {
        release_scene(plane_scene[0]);
        plane_scene[0] = nullptr;
        return false;
    }
    Matrix4& local = plane_scene[0]->meshes[0].local_matrix;
    matrix_identity(local);
    matrix_rotate_y(local, 1.5707963f);
    plane_texture[0] = load_texture("models\\intro.tex");
    matrix_identity(aircraft[0].matrix);
    matrix_translate(aircraft[0].matrix, 0.0f, 65.0f, -10.0f);
    matrix_rotate_x(aircraft[0].matrix, 0.31415927f);
    return true;
}

void intro_frame()
{
    screen_timer += 5;
    const int32_t t = screen_timer;
    uint32_t* frame = engine.frame_buffer;

    // The first two frames, one for each frame buffer: the intro texture
    // repeated over the whole screen.
    if ((t == 5 || t == 10) && plane_texture[0] && res_x > 0 && res_y > 0) {
        const int32_t count = res_x * res_y;
        for (int32_t i = 0; i < count; ++i) {
            frame[i] = plane_texture[0]->pixels[i % 65536];
        }
    }

    if (t > 1000) {
        free_intro_model();
        engine_release();
        engine_init(res_x / 2, res_y);
        menu_active = 1;
        intro_active = 0;
        return;
    }

    if (plane_scene[0] && plane_scene[0]->mesh_count > 0) {
        engine_clear_depth();
        Mesh& mesh = plane_scene[0]->meshes[0];
        matrix_rotate_z(mesh.local_matrix, -0.09f);
        render_mesh_scaled(mesh.local_matrix, aircraft[0].matrix, mesh, frame, 0, plane_texture[0],
                           1100.0f);
    }

    intro_text(t);
}

void winner_frame()
{
    char text[64];
    std::snprintf(text, sizeof text, "%s wins the match",
                  shown_player_name(match_winner == 1 ? 0 : 1));

    screen_timer += 8;
    const int32_t t = screen_timer;
    if (t > 300) {
        menu_active = 1;
        winner_active = 0;
        return;
    }

    uint32_t* frame = engine.frame_buffer;
    if (res_x > 0 && res_y > 0) {
        std::memset(frame, 0, static_cast<size_t>(res_x) * static_cast<size_t>(res_y) * 4);
    }

    if (t < 128) {
        // Explosion picture t / 8, magnified two times.
        const uint32_t* picture = explosion_frames + (t / 8) * explosion_pixels;
        const int32_t x0 = res_x / 2 - 112;
        const int32_t y0 = res_y / 2 - 102;
        for (int32_t i = 0; i < 2 * explosion_width; ++i) {
            const int32_t x = x0 + i;
            if (x < 0 || x >= res_x) {
                continue;
            }
            for (int32_t j = 0; j < 2 * explosion_height; ++j) {
                const int32_t y = y0 + j;
                if (y < 0 || y >= res_y) {
                    continue;
                }
                const uint32_t texel = picture[(j / 2) * explosion_width + i / 2];
                if (texel != key_colour) {
                    frame[y * res_x + x] = texel;
                }
            }
        }
    }

    if (t > 0 && t < 300) {
        const int32_t v = static_cast<int32_t>(static_cast<float>(t) * 1.7f);
        const int32_t length = static_cast<int32_t>(std::strlen(text));
        frame_text(text, res_x / 2 - 4 * length, res_y / 2 - 4, fade_green(v, t <= 150));
    }
}

void read_help_text()
{
    help_line_count = 0;
    help_scroll = 0;
    // Pieces of at most w - 1 characters: w 8-pixel characters fit between
    // two 10-pixel margins.
    const int32_t w = (res_x - 20) / 8;
    if (w < 2) {
        return;
    }
    char* piece = static_cast<char*>(std::malloc(static_cast<size_t>(w)));
    if (!piece) {
        return;
    }

    std::FILE* file = open_game_file("Data\\pak0.pak", "r");
    if (!file) {
        std::free(piece);
        return;
    }
    int32_t count = 0;
    while (read_text_piece(file, piece, w)) {
        ++count;
    }
    std::fclose(file);
    if (count == 0) {
        std::free(piece);
        return;
    }

    help_lines = static_cast<char**>(std::malloc(static_cast<size_t>(count) * sizeof(char*)));
    if (!help_lines) {
        std::free(piece);
        return;
    }
    file = open_game_file("Data\\pak0.pak", "r");
    if (!file) {
        std::free(help_lines);
        help_lines = nullptr;
        std::free(piece);
        return;
    }
    int32_t stored = 0;
    while (stored < count && read_text_piece(file, piece, w)) {
        const size_t length = std::strlen(piece);
        char* line = static_cast<char*>(std::malloc(length + 1));
        if (!line) {
            break;
        }
        std::memcpy(line, piece, length + 1);
        help_lines[stored++] = line;
    }
    std::fclose(file);
    std::free(piece);
    help_line_count = stored;
    help_scroll = 0;
}

void draw_help()
{
    const int32_t rows = (res_y - 20) / 8;
    for (int32_t k = 0; k < rows && help_scroll + k < help_line_count; ++k) {
        frame_text(help_lines[help_scroll + k], 10, 10 + 9 * k, help_colour);
    }
}

void free_help_text()
{
    for (int32_t i = 0; i < help_line_count; ++i) {
        std::free(help_lines[i]);
    }
    std::free(help_lines);
    help_lines = nullptr;
    help_line_count = 0;
    help_scroll = 0;
}
