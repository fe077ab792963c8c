#include "game/world.h"

#include <cmath>

#include "assets/scene.h"
#include "assets/texture.h"
#include "game/aircraft.h"
#include "game/random.h"
#include "game/weapons.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "shell/keyboard.h"
#include "shell/settings.h"
#include "shell/window_proc.h"

Vec3 star_field[star_count];
Scene* plane_scene[2] = {nullptr, nullptr};
Texture* plane_texture[2] = {nullptr, nullptr};

namespace {

constexpr float degree = 0.017453292f;
constexpr float star_distance = 20.0f;
constexpr float half_turn_roll = -3.1415925f;
constexpr float start_pitch = -0.5235988f;

// Sines and cosines of a float angle, taken at full precision and stored as
// floats.
float cos_of(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }
float sin_of(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }

// A jump of the matrix by a fresh random offset along its own axes; the
// components are drawn z first, then y, then x.
void translate_by_random_offset(Matrix4& m)
{
    const float z = random_offset();
    const float y = random_offset();
    const float x = random_offset();
    matrix_translate(m, x, y, z);
}

void end_match(int32_t winner)
{
    release_match_models();  // a second call finds nothing left to free
    match_winner = winner;
    intro_active = 0;
    winner_active = 1;
    match_active = 0;
    menu_active = 0;
    screen_timer = 0;
    name_edit = 0;
    play_sound(sound_frag);
}

}  // namespace

void polar_to_cartesian(float radius, float degrees, float& x, float& y)
{
    const float angle = degrees * degree;
    x = radius * cos_of(angle);
    y = radius * sin_of(angle);
}

uint32_t star_field_seed = 0;

void generate_star_field() { generate_star_field_from(platform_clock_ms()); }

void generate_star_field_from(uint32_t seed)
{
    star_field_seed = seed;
    crt_srand(seed);
    for (Vec3& star : star_field) {
        // a covers a full turn and b half a turn: the game's own star
        // pattern, not a uniform spread over the sphere.
        const int32_t a_degrees = crt_rand() % 360 - 180;
        const float a = static_cast<float>(a_degrees) * degree;
        const int32_t b_degrees = crt_rand() % 180;
        float p = 0.0f, q = 0.0f;
        polar_to_cartesian(cos_of(a), static_cast<float>(b_degrees), p, q);
        star.x = star_distance * p;
        star.y = star_distance * q;
        star.z = star_distance * sin_of(a);
    }
}

float random_offset() { return static_cast<float>((crt_rand() & 0xFFF) - 500); }

void place_aircraft_for_new_game()
{
    for (Aircraft& a : aircraft) {
        matrix_identity(a.matrix);
        matrix_rotate_z(a.matrix, half_turn_roll);
        matrix_rotate_x(a.matrix, start_pitch);
        translate_by_random_offset(a.matrix);
    }
}

void reset_round()
{
    aircraft[0].energy = 100;
    aircraft[1].energy = 100;
    shot_count = 0;
    clear_controls();

    // Each aeroplane keeps its heading and jumps from where it is.
    translate_by_random_offset(aircraft[0].matrix);
    translate_by_random_offset(aircraft[1].matrix);

    aircraft[0].speed = 0.0f;
    aircraft[1].speed = 0.0f;
    match_active = 1;
    menu_active = 0;
    aircraft[0].explosion_frame = 0;
    aircraft[1].explosion_frame = 0;

    // Two independent tests: with both at the limit player 2 is named.
    if (aircraft[0].frags >= frag_limit) {
        end_match(1);
    }
    if (aircraft[1].frags >= frag_limit) {
        end_match(2);
    }
}

void release_match_models()
{
    release_texture(plane_texture[0]);
    plane_texture[0] = nullptr;
    release_texture(plane_texture[1]);
    plane_texture[1] = nullptr;
    release_scene(plane_scene[0]);
    plane_scene[0] = nullptr;
    release_scene(plane_scene[1]);
    plane_scene[1] = nullptr;
}
