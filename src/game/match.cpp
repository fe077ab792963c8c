#include "game/match.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "assets/font.h"
#include "engine/engine.h"
#include "engine/render.h"
#include "game/aircraft.h"
#include "game/pilot.h"
#include "game/random.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/display.h"
#include "shell/keyboard.h"
#include "shell/pictures.h"
#include "shell/settings.h"

uint32_t* view_buffer = nullptr;
int64_t noise_draws = 0;
uint32_t* drawn_view = nullptr;
Matrix4 base_matrix;

int64_t view_buffer_pixels(int32_t width, int32_t height)
{
    // (height / 2) x width as the view buffer is counted; a view is
    // (width / 2) x height, which is more when the height is odd.
    const int64_t counted = int64_t{height / 2} * width;
    const int64_t view = int64_t{width / 2} * height;
    if (width < 0 || height < 0) {
        return -1;
    }
    return std::max(counted, view);
}

namespace {

constexpr uint32_t star_colour = 0xFFFFFF;
constexpr uint32_t b_mesh_colour = 0x321EFA;
constexpr uint32_t player1_mesh_colour = 0xFA3232;  // player 1's aeroplane, seen by player 2
constexpr uint32_t player2_mesh_colour = 0xFF0000;  // player 2's aeroplane, seen by player 1
constexpr uint32_t hud_colour = 0x96FF64;
constexpr uint32_t speed_bar_colour = 0xDBAB64;
constexpr uint32_t marker_ahead_colour = 0x6F6437;
constexpr uint32_t marker_behind_colour = 0x37646F;

constexpr int32_t frag_timer_step = 5;
constexpr int32_t last_explosion_picture = 15;

// One view being composed, W/2 x H pixels: its half of the frame (rows W
// apart) or view_buffer (rows W/2 apart).
struct View {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
    int32_t stride;  // pixels from one row to the next
};

uint32_t* view_row(const View& view, int32_t y)
{
    return view.pixels + static_cast<size_t>(y) * static_cast<size_t>(view.stride);
}

void put_pixel(const View& view, int32_t x, int32_t y, uint32_t colour)
{
    if (x >= 0 && x < view.width && y >= 0 && y < view.height) {
        view_row(view, y)[x] = colour;
    }
}

// Truncation toward zero of a float that may lie far outside any picture
// (the opponent thousands of units away). Values within +-2^30 convert as
// they are; beyond that (and NaN) they are pinned far off every view, so the
// conversion never overflows.
int32_t truncate_far(float value)
{
    constexpr float limit = 1073741824.0f;
    if (value >= limit) {
        return 1073741824;
    }
    if (!(value > -limit)) {
        return -1073741824;
    }
    return static_cast<int32_t>(value);
}

// Row 3 of m x inverse(camera): m's origin in the camera's frame.
Vec3 position_in_frame(const Matrix4& m, const Matrix4& camera)
{
    const Matrix4 inverse = matrix_camera_inverse(camera);
    Matrix4 r;
    matrix_multiply(inverse, m, r);
    return Vec3{r.m[12], r.m[13], r.m[14]};
}

void fill_noise(const View& view)
{
    const uint32_t before = crt_rand_state();
    for (int32_t y = 0; y < view.height; ++y) {
        uint32_t* row = view_row(view, y);
        for (int32_t x = 0; x < view.width; ++x) {
            const uint32_t g = static_cast<uint32_t>(crt_rand()) & 0xFF;
            row[x] = g | (g << 8) | (g << 16);
        }
    }
    if (noise_draws > 0) {
        crt_srand(before);
        for (int64_t k = 0; k < noise_draws; ++k) {
            crt_rand();
        }
    }
}

// The stars are infinitely far: only the viewer's rotation turns them.
void draw_stars(const View& view, const Matrix4& viewer)
{
    const Matrix4 inverse = matrix_camera_inverse(viewer);
    Matrix4 l;
    matrix_multiply(inverse, base_matrix, l);
    const float* m = l.m;
    const float centre_x = static_cast<float>(res_x / 4);
    const float centre_y = static_cast<float>(res_y / 2);
    const float right = static_cast<float>(res_x / 2);
    const float bottom = static_cast<float>(res_y);
    for (const Vec3& s : star_field) {
        const float vx = s.x * m[0] + s.y * m[4] + s.z * m[8];
        const float vy = s.x * m[1] + s.y * m[5] + s.z * m[9];
        const float vz = s.x * m[2] + s.y * m[6] + s.z * m[10];
        if (static_cast<double>(vz) > 0.1) {
            const float sx = centre_x + 256.0f * vx / vz;
            const float sy = centre_y + 256.0f * vy / vz;
            if (sx > 0.0f && sx < right && sy > 0.0f && sy < bottom) {
                put_pixel(view, static_cast<int32_t>(sx), static_cast<int32_t>(sy), star_colour);
            }
        }
    }
}

void draw_opponent(const View& view, int32_t viewer, int32_t opponent)
{
    const Scene* scene = plane_scene[opponent];
    if (!scene || !scene->meshes) {
        return;
    }
    const Matrix4& model = aircraft[opponent].matrix;
    const Matrix4& camera = aircraft[viewer].matrix;
    const uint32_t other_colour = opponent == 0 ? player1_mesh_colour : player2_mesh_colour;
    for (int32_t k = 0; k < scene->mesh_count; ++k) {
        const Mesh& mesh = scene->meshes[k];
        const char first = mesh.name ? mesh.name[0] : '\0';
        if (first == 'T') {
            render_mesh(model, camera, mesh, view.pixels, 0, plane_texture[opponent]);
        } else if (first == 'B') {
            render_mesh(model, camera, mesh, view.pixels, b_mesh_colour, nullptr);
        } else {
            render_mesh(model, camera, mesh, view.pixels, other_colour, nullptr);
        }
    }
}

// Explosion picture `picture` at the opponent's offsets (x, y) and depth z
// (already at least 0.1). The offsets move the sprite by world units as they
// are; only its size follows the distance.
void draw_explosion_sprite(const View& view, float x, float y, float z, int32_t picture)
{
    const float a = 57344.0f / z;  // 112 * 512 / z
    const float b = 52224.0f / z;  // 102 * 512 / z
    if (!explosion_frames || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(a) ||
        !std::isfinite(b)) {
        return;
    }
    const int32_t left =
        truncate_far(static_cast<float>(res_x / 4) + x - static_cast<float>(truncate_far(a / 2)));
    const int32_t top =
        truncate_far(static_cast<float>(res_y / 2) + y - static_cast<float>(truncate_far(b / 2)));
    const int32_t right = left + truncate_far(a);
    const int32_t bottom = top + truncate_far(b);

    auto clamp = [](int32_t v, int32_t hi) { return v < 0 ? 0 : (v > hi ? hi : v); };
    const int32_t first_column = clamp(left, view.width);
    const int32_t end_column = clamp(right, view.width);
    const int32_t first_row = clamp(top, view.height);
    const int32_t end_row = clamp(bottom, view.height);
    if (first_column >= end_column || first_row >= end_row) {
        return;
    }

    // Texel column of every visited view column, worked out once.
    static std::vector<int32_t> texel_column;
    texel_column.resize(static_cast<size_t>(end_column - first_column));
    for (int32_t px = first_column; px < end_column; ++px) {
        const int32_t c = px - left;
        texel_column[static_cast<size_t>(px - first_column)] =
            static_cast<int32_t>(static_cast<float>(explosion_width * c) / a);
    }

    const uint32_t* frame = explosion_frames + static_cast<size_t>(picture) * explosion_pixels;
    for (int32_t py = first_row; py < end_row; ++py) {
        // Column 0 and row 0 of the view are never written.
        if (py <= 0) {
            continue;
        }
        const int32_t r = py - top;
        const int32_t t = static_cast<int32_t>(static_cast<float>(explosion_height * r) / b);
        uint32_t* row = view_row(view, py);
        for (int32_t px = first_column; px < end_column; ++px) {
            if (px <= 0) {
                continue;
            }
            const int32_t index = texel_column[static_cast<size_t>(px - first_column)] +
                                  explosion_width * t;
            if (index >= 0 && index < explosion_pixels) {
                const uint32_t texel = frame[index];
                if (texel != key_colour) {
                    row[px] = texel;
                }
            }
        }
    }
}

// The survivor's view of a destroyed opponent: the explosion pictures 1 to
// 15, then nothing; the depth buffer is filled with z either way, so shots
// drawn afterwards show only where their 1/z exceeds z.
void draw_explosion(const View& view, int32_t viewer, int32_t opponent)
{
    Aircraft& dead = aircraft[opponent];
    const Vec3 p = position_in_frame(dead.matrix, aircraft[viewer].matrix);
    float z = p.z;
    if (dead.explosion_frame < 0) {
        dead.explosion_frame = 0;
    }
    dead.explosion_frame += 1;
    if (z > -0.1f && z < 0.1f) {
        z = 0.1f;
    }
    // Still below 0.1: the opponent is behind the viewer.
    if (dead.explosion_frame <= last_explosion_picture && !(z < 0.1f)) {
        draw_explosion_sprite(view, p.x, p.y, z, dead.explosion_frame);
    }
    engine_fill_depth(z);
}

void draw_instruments(const View& view, int32_t viewer, int32_t opponent)
{
    const Aircraft& me = aircraft[viewer];
    const int32_t centre_x = res_x / 4;
    const int32_t centre_y = res_y / 2;
    char text[64];

    std::snprintf(text, sizeof text, "%s %d frags", shown_player_name(viewer), me.frags);
    draw_text_in_rows(text, viewer == 0 ? 10 : 0, 0, view.width, view.height, view.stride, hud_colour,
                      view.pixels);
    std::snprintf(text, sizeof text, "%3d %%", me.energy);
    draw_text_in_rows(text, centre_x - 22, centre_y + 36, view.width, view.height, view.stride,
                      hud_colour, view.pixels);

    // Speed bar: 1 pixel at rest, 50 at full speed.
    for (int32_t i = 0; i < 50 && static_cast<float>(i) < me.speed + 1.0f; ++i) {
        for (int32_t dy = -30; dy <= -28; ++dy) {
            put_pixel(view, centre_x - 25 + i, centre_y + dy, speed_bar_colour);
        }
    }

    // Direction marker: 20 pixels from the centre towards the opponent. It
    // has no direction when the opponent lies on the forward axis (d = 0)
    // and is then left out.
    const Vec3 p = position_in_frame(aircraft[opponent].matrix, me.matrix);
    const float d = static_cast<float>(std::sqrt(static_cast<double>(p.x * p.x + p.y * p.y)));
    if (d > 0.0f && std::isfinite(d)) {
        const float fx = static_cast<float>(centre_x) + 20.0f * p.x / d;
        const float fy = static_cast<float>(centre_y) + 20.0f * p.y / d;
        const int32_t mx = truncate_far(fx);
        const int32_t my = truncate_far(fy);
        const uint32_t colour = p.z > 0.0f ? marker_ahead_colour : marker_behind_colour;
        for (int32_t k = 1; k <= 2; ++k) {
            put_pixel(view, mx - k, my, colour);
            put_pixel(view, mx + k, my, colour);
            put_pixel(view, mx, my - k, colour);
            put_pixel(view, mx, my + k, colour);
        }
    }

    // Aiming mark, 0 transparent.
    if (target_picture) {
        for (int32_t j = 0; j < target_height; ++j) {
            for (int32_t i = 0; i < target_width; ++i) {
                const uint32_t pixel = target_picture[j * target_width + i];
                if (pixel != 0) {
                    put_pixel(view, centre_x - 52 + i, centre_y - 30 + j, pixel);
                }
            }
        }
    }
}

// n pixels from src to dest. Where SSE2 is there, the frame's memory is
// written around the caches: nothing here reads it again, and its 3 MB (at
// 1024 x 768) would only push the view and the depth buffer out of them.
void copy_row(uint32_t* dest, const uint32_t* src, size_t n)
{
#if defined(__SSE2__)
    size_t i = 0;
    for (; i < n && (reinterpret_cast<uintptr_t>(dest + i) & 15) != 0; ++i) {
        dest[i] = src[i];
    }
    for (; i + 4 <= n; i += 4) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(dest + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)));
    }
    for (; i < n; ++i) {
        dest[i] = src[i];
    }
#else
    std::memcpy(dest, src, n * sizeof(uint32_t));
#endif
}

// Every pixel of the view to 0. A view of a large frame (1 MB or more) is
// cleared around the caches: it would only push the depth buffer out of
// them, and the fills touch its rows only where something is drawn. A
// smaller one stays in the caches for the fills.
void clear_view(const View& view)
{
    const size_t n = static_cast<size_t>(view.width);
    if (view.stride == view.width || n * static_cast<size_t>(view.height) < (size_t{1} << 18)) {
        for (int32_t y = 0; y < view.height; ++y) {
            std::memset(view_row(view, y), 0, n * sizeof(uint32_t));
        }
        return;
    }
    for (int32_t y = 0; y < view.height; ++y) {
        uint32_t* row = view_row(view, y);
#if defined(__SSE2__)
        size_t i = 0;
        for (; i < n && (reinterpret_cast<uintptr_t>(row + i) & 15) != 0; ++i) {
            row[i] = 0;
        }
        for (; i + 4 <= n; i += 4) {
            _mm_stream_si128(reinterpret_cast<__m128i*>(row + i), _mm_setzero_si128());
        }
        for (; i < n; ++i) {
            row[i] = 0;
        }
#else
        std::memset(row, 0, n * sizeof(uint32_t));
#endif
    }
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

// Row by row into the frame: player 1 to the left half, player 2 to the
// right half.
void copy_to_frame(const View& view, int32_t viewer)
{
    uint32_t* frame = engine.frame_buffer;
    if (!frame) {
        return;
    }
    const size_t frame_width = static_cast<size_t>(res_x);
    const size_t column = viewer == 0 ? 0 : static_cast<size_t>(res_x / 2);
    for (int32_t y = 0; y < view.height; ++y) {
        copy_row(frame + static_cast<size_t>(y) * frame_width + column,
                 view.pixels + static_cast<size_t>(y) * static_cast<size_t>(view.width),
                 static_cast<size_t>(view.width));
    }
#if defined(__SSE2__)
    _mm_sfence();  // the streamed rows are complete before anyone reads the frame
#endif
}

}  // namespace

namespace {

void compose_view(const View& view, int32_t viewer)
{
    const int32_t opponent = 1 - viewer;
    Aircraft& me = aircraft[viewer];

    // A dead player sees grey noise; each such view shortens the sequence.
    if (frag_timer > 0 && me.energy == 0) {
        frag_timer -= 1;
        fill_noise(view);
        return;
    }

    // One clear of the depth buffer serves the opponent and the shots: the
    // stars write no depth.
    engine_clear_depth();
    clear_view(view);
    draw_stars(view, me.matrix);

    if (aircraft[opponent].explosion_frame < 1) {
        draw_opponent(view, viewer, opponent);
    }
    if (frag_timer > 0 && aircraft[opponent].energy <= 0) {
        draw_explosion(view, viewer, opponent);
    }

    process_shots(viewer);
    draw_instruments(view, viewer, opponent);
}

}  // namespace

void draw_player_view(int32_t viewer)
{
    if (!view_buffer || res_x < 2 || res_y < 1) {
        return;
    }
    const int32_t width = res_x / 2;
    // Where the engine's size is the view's, the view is drawn straight
    // into its half of the frame: no copy. Otherwise in view_buffer, then
    // copied.
    if (engine.frame_buffer && engine.width == width && engine.height == res_y) {
        const size_t column = viewer == 0 ? 0 : static_cast<size_t>(width);
        const View view{engine.frame_buffer + column, width, res_y, res_x};
        drawn_view = view.pixels;
        engine.target_stride = res_x;
        compose_view(view, viewer);
        engine.target_stride = 0;
        drawn_view = nullptr;
        return;
    }
    const View view{view_buffer, width, res_y, width};
    compose_view(view, viewer);
    copy_to_frame(view, viewer);
}

void match_frame()
{
    pilots_fly();  // computer pilots hold their keys before anything reads them
    collision_test();
    death_checks();
    if (frag_timer > 0) {
        clear_controls();  // the aeroplanes coast through the frag sequence
    }
    flight_update();
    // Player 2's view first: its shot pass moves the shots.
    draw_player_view(1);
    draw_player_view(0);

    if (frag_timer > 0) {
        frag_timer -= frag_timer_step;
        if (frag_timer <= 0) {
            frag_award();  // and the next round, or the end of the match
            display_present();
            return;
        }
        if (engine.frame_buffer) {
            const int32_t length = static_cast<int32_t>(std::strlen(frag_message));
            const uint32_t colour = static_cast<uint32_t>(frag_timer & 0xFF) << 8;
            draw_text(frag_message, res_x / 2 - 4 * length, res_y / 2, res_x, res_y, colour,
                      engine.frame_buffer);
        }
    }
    display_present();
}
