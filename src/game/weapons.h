// Shots, hits, the collision test, deaths and frags.
#pragma once

#include <cstdint>

#include "engine/math3d.h"

struct Scene;
struct Texture;

// The model and texture every shot is drawn with ("Data\Fire.3ds",
// "Data\Fire.tex").
extern Scene* fire_scene;
extern Texture* fire_texture;

constexpr int32_t shot_capacity = 1000;

// Live shots are slots 0 .. shot_count - 1, oldest first.
extern Matrix4* shot_matrix;  // shot_capacity entries
extern int32_t* shot_age;     // shot_capacity entries
extern int32_t shot_count;

// > 0 while a frag sequence runs; 255 when a death is registered.
extern int32_t frag_timer;
// "%s got a frag ..." or "No one got a frag ..."
extern char frag_message[48];

// No shots, no frag sequence, no message.
void reset_weapons();
// Loads the shot model and texture. Null on success, else the file that
// could not be read.
const char* load_shot_model();
void release_shot_model();
void allocate_shot_list();
void free_shot_list();
// Appends a shot 31 units ahead of the shooter's nose, age 0, with sound 2.
// A launch into a full list is dropped.
void launch_shot(const Matrix4& shooter);
void remove_shot(int32_t index);
// The shot pass of viewer v's view: ages, tests (and in player 2's pass
// moves) every shot, then draws it into view_buffer.
void process_shots(int32_t viewer);

// Steps of the match frame.
// Both aeroplanes within 40 units while no frag sequence runs: both
// energies become -1.
void collision_test();
// A negative energy registers a death: energy and explosion frame 0, the
// frag timer at 255, sound 4 and the frag message.
void death_checks();
// At the end of a frag sequence: the frag to the survivor (none when both
// are down), then reset_round.
void frag_award();
