// The star field, round start and match end.
#pragma once

#include <cstdint>

#include "engine/math3d.h"

struct Scene;
struct Texture;

// Both aeroplanes' models and textures during a match; slot 0 holds the
// intro model until a match starts.
extern Scene* plane_scene[2];
extern Texture* plane_texture[2];

constexpr int32_t star_count = 150;
extern Vec3 star_field[star_count];

// Seeds the random generator from the clock and makes the 150 stars.
void generate_star_field();
// The same from a seed of one's own (a replay's, a network match's).
void generate_star_field_from(uint32_t seed);
// The seed the stars were last made from.
extern uint32_t star_field_seed;
void polar_to_cartesian(float radius, float degrees, float& x, float& y);
// (rand() & 0xFFF) - 500
float random_offset();
// Both aeroplanes rolled half a turn, pitched by -30 degrees and placed at
// a random offset (player 1 first).
void place_aircraft_for_new_game();
// Starts the next round: full energies, no shots, no keys, both at rest,
// each jumped by a fresh offset with its heading kept. Then the match ends
// for a player at the frag limit (player 1 tested first, so with both there
// player 2 is named; the models are freed once).
void reset_round();
// Frees both aeroplanes' textures and scenes (null-safe).
void release_match_models();
