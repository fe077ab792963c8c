#include "shell/credits.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "assets/font.h"
#include "engine/engine.h"
#include "game/random.h"
#include "assets/texture.h"
#include "shell/pictures.h"
#include "shell/settings.h"

Texture* quorba_texture = nullptr;
uint32_t* credits_picture = nullptr;

int32_t warp_sine[256];
int32_t warp_rows[200];
uint8_t warp_phase_x = 0;
uint8_t warp_phase_y = 0;
uint8_t warp_speed_x = 2;
uint8_t warp_speed_y = 5;
double credits_phase[3] = {3.0, 2.5, 1.0};

namespace {

constexpr uint32_t empty_pixel = 0xFFFFFF;  // low 24 bits of a white (empty) pixel
constexpr uint32_t credits_yellow = 0x00FFFF00;

// The rippled picture of one frame, before it goes onto the screen.
uint32_t warp_work[credits_width * credits_height];

struct WaveLine {
    const char* text;
    int32_t x_from_centre;
    int32_t y;
    int32_t n;
    double step;
};

const WaveLine wave_lines[3] = {
    {"C   R   E   D   I   T   S", -100, 20, 5, 0.5},
    {" Programink Mr. Brenn    Engines kreatet by Tav", -184, 230, 22, 0.7},
    {"Visit our adress valkron.example.org", -136, 270, 18, 0.4},
};

}  // namespace

void reset_credits()
{
    warp_phase_x = warp_phase_y = 0;
    warp_speed_x = 2;
    warp_speed_y = 5;
    credits_phase[0] = 3.0;
    credits_phase[1] = 2.5;
    credits_phase[2] = 1.0;
}

// Texel (r, c) of the 256 x 256 texture.
static uint32_t texel(const Texture& t, int32_t row, int32_t column) { return t.pixels[row * 256 + column]; }

void build_credits_picture()
{
    std::fill(credits_picture, credits_picture + credits_width * credits_height, 0xFFFFFFFFu);
    const Texture& q = *quorba_texture;
    for (int32_t c = 0; c < 128; ++c) {
        for (int32_t k = 0; k < 172; ++k) {
            const uint32_t v = texel(q, 128 + c, 28 + k);
            if (v != key_colour) {
                credits_picture[k * credits_width + 184 + c] = v;
            }
        }
    }
    for (int32_t c = 0; c < 128; ++c) {
        for (int32_t k = 0; k < 172; ++k) {
            const uint32_t v = texel(q, c, 28 + k);
            if (v != key_colour) {
                credits_picture[k * credits_width + 8 + c] = v;
            }
        }
    }
}

void release_credits()
{
    release_texture(quorba_texture);
    quorba_texture = nullptr;
    std::free(credits_picture);
    credits_picture = nullptr;
}

void build_warp_tables()
{
    for (int32_t i = 0; i < 256; ++i) {
        warp_sine[i] = static_cast<int32_t>(5.0 * std::sin(i * 0.0245436921875));
    }
    for (int32_t i = 0; i < credits_height; ++i) {
        warp_rows[i] = credits_width * i;
    }
}

void warp_picture()
{
    for (uint32_t& p : warp_work) {
        p = 0xFFFFFFFF;
    }
    uint8_t a = warp_phase_y;
    for (int32_t y = 0; y < credits_height; ++y) {
        uint8_t b = static_cast<uint8_t>(y + warp_phase_x);
        const int32_t sy = warp_sine[a] + y;
        for (int32_t x = 0; x < credits_width; ++x) {
            if (sy >= 0 && sy < credits_height) {
                const int32_t sx = x + warp_sine[b];
                if (sx >= 0 && sx < credits_width) {
                    warp_work[y * credits_width + x] = credits_picture[warp_rows[sy] + sx];
                }
            }
            b = static_cast<uint8_t>(b - 4);
        }
        a = static_cast<uint8_t>(a + 4);
    }

    // Into the middle of the frame; white stays see-through. The screens of
    // the resolution table all hold the whole picture; smaller ones clip it.
    uint32_t* frame = engine.frame_buffer;
    const int32_t top = res_y / 2 - credits_height / 2;
    const int32_t left = res_x / 2 - credits_width / 2;
    for (int32_t y = 0; y < credits_height; ++y) {
        const int32_t row = top + y;
        if (row < 0 || row >= res_y) {
            continue;
        }
        for (int32_t x = 0; x < credits_width; ++x) {
            const int32_t column = left + x;
            const uint32_t p = warp_work[y * credits_width + x];
            if ((p & 0xFFFFFF) != empty_pixel && column >= 0 && column < res_x) {
                frame[row * res_x + column] = p;
            }
        }
    }
}

void wave_text(const char* text, int32_t x, int32_t y, double phase, int32_t n)
{
    for (int32_t i = 0; text[i] != '\0'; ++i) {
        const int32_t rise = static_cast<int32_t>(5.0 - 8.0 * std::sin(phase + i * 3.1415926 / n));
        draw_glyph(x + 8 * i, y - rise, res_x, res_y, text[i], credits_yellow, engine.frame_buffer);
    }
}

void credits_frame()
{
    warp_picture();

    // The ripple drifts; the generator is called in exactly this order.
    warp_phase_x = static_cast<uint8_t>(warp_phase_x + (crt_rand() & 3) + warp_speed_x);
    warp_phase_y = static_cast<uint8_t>(warp_phase_y - ((crt_rand() & 3) + warp_speed_y));
    if ((crt_rand() & 7) == 0) {
        warp_speed_x = static_cast<uint8_t>(warp_speed_x + 1 - (crt_rand() & 3));
        warp_speed_y = static_cast<uint8_t>(warp_speed_y + 1 - (crt_rand() & 3));
        if ((crt_rand() & 31) == 0) {
            warp_speed_x = 0;
            warp_speed_y = 0;
        }
    }

    for (int32_t k = 0; k < 3; ++k) {
        const WaveLine& line = wave_lines[k];
        wave_text(line.text, res_x / 2 + line.x_from_centre, line.y, credits_phase[k], line.n);
        credits_phase[k] += line.step;
        if (credits_phase[k] > 6.289) {
            credits_phase[k] = 0.0;
        }
    }
}
