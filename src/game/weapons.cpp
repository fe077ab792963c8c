#include "game/weapons.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/scene.h"
#include "assets/texture.h"
#include "engine/clip.h"
#include "engine/engine.h"
#include "engine/render.h"
#include "game/aircraft.h"
#include "game/match.h"
#include "game/pilot.h"
#include "game/world.h"
#include "platform/sound.h"
#include "shell/settings.h"

Matrix4* shot_matrix = nullptr;
int32_t* shot_age = nullptr;
int32_t shot_count = 0;

int32_t frag_timer = 0;
char frag_message[48];

Scene* fire_scene = nullptr;
Texture* fire_texture = nullptr;

namespace {

constexpr float muzzle_offset = 31.0f;
constexpr float shot_step = 20.0f;
constexpr int32_t shot_sub_steps = 5;
constexpr int32_t age_step = 3;
constexpr int32_t age_limit = 100;
constexpr float hit_radius = 30.0f;
constexpr int32_t hit_damage = 5;
constexpr float collision_radius = 40.0f;
constexpr int32_t frag_sequence_start = 255;


// Distance of m's origin from the origin of the frame whose inverse is
// given: the length of row 3 of m x inverse.
float distance_in_frame(const Matrix4& m, const Matrix4& inverse)
{
    Matrix4 r;
    matrix_multiply(inverse, m, r);
    const float x = r.m[12], y = r.m[13], z = r.m[14];
    return static_cast<float>(std::sqrt(static_cast<double>(x * x + y * y + z * z)));
}

// The shot model, or null when the scene has none to draw.
const Mesh* shot_mesh()
{
    if (!fire_scene || fire_scene->mesh_count < 1 || !fire_scene->meshes) {
        return nullptr;
    }
    return &fire_scene->meshes[0];
}

// Largest |x| + |y| + |z| of the corners of the mesh's faces.
float corner_reach(const Mesh& mesh)
{
    float reach = 0.0f;
    for (int32_t f = 0; f < mesh.face_count; ++f) {
        for (const Vertex* v : mesh.faces[f].corner) {
            reach = std::max(reach, std::fabs(v->x) + std::fabs(v->y) + std::fabs(v->z));
        }
    }
    return reach;
}

// Whether a shot whose matrix in the viewer's frame is r (shot x inverse of
// the viewer, the combined matrix render_mesh uses) can leave a pixel.
// Every corner lands within `box` of r's origin in x, y and z, where box is
// the mesh's reach times the largest element of r's 3 x 3 part. A shot all
// of whose corners lie behind the eye plane, or strictly outside one side
// of the frustum, draws nothing: every face of it is then dropped by the
// clipper (outside one plane) or skipped at projection (behind the eye).
// The margins cover the rounding of the transform, of the clipper's plane
// distances and of its cut corners (whose depth stays far below the 0.1 a
// drawn corner needs), which is why very distant shots are never refused.
bool shot_may_show(const Matrix4& r, float reach)
{
    const float* m = r.m;
    float largest = 0.0f;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            largest = std::max(largest, std::fabs(m[row * 4 + column]));
        }
    }
    const float x = m[12], y = m[13], z = m[14];
    const float box = reach * largest;
    const float extent = std::fabs(x) + std::fabs(y) + std::fabs(z) + box;
    if (!(extent < 65536.0f)) {
        return true;
    }
    const float margin = 2.0f * box + 1e-4f * extent + 1e-3f;
    if (z + margin < 0.0f) {
        return false;
    }
    for (const Plane* plane : engine.frustum) {
        if (plane && plane->a * x + plane->b * y + plane->c * z + plane->d + margin < 0.0f) {
            return false;
        }
    }
    return true;
}

void register_death(int32_t player)
{
    aircraft[player].explosion_frame = 0;
    aircraft[player].energy = 0;
}

}  // namespace

void reset_weapons()
{
    shot_count = 0;
    frag_timer = 0;
    frag_message[0] = '\0';
}

const char* load_shot_model()
{
    fire_scene = load_scene("Data\\Fire.3ds");
    if (!fire_scene || fire_scene->mesh_count < 1) {
        return "Data\\Fire.3ds";
    }
    fire_texture = load_texture("Data\\Fire.tex");
    if (!fire_texture) {
        return "Data\\Fire.tex";
    }
    return nullptr;
}

void release_shot_model()
{
    release_texture(fire_texture);
    fire_texture = nullptr;
    release_scene(fire_scene);
    fire_scene = nullptr;
}

void allocate_shot_list()
{
    shot_matrix = static_cast<Matrix4*>(std::malloc(sizeof(Matrix4) * shot_capacity));
    shot_age = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * shot_capacity));
    shot_count = 0;
}

void free_shot_list()
{
    std::free(shot_matrix);
    std::free(shot_age);
    shot_matrix = nullptr;
    shot_age = nullptr;
    shot_count = 0;
}

void launch_shot(const Matrix4& shooter)
{
    play_sound(sound_shot);
    // In play the list holds at most a few dozen shots; a launch into a full
    // (or missing) list is dropped rather than written past its end.
    if (!shot_matrix || !shot_age || shot_count < 0 || shot_count >= shot_capacity) {
        return;
    }
    const int32_t slot = shot_count;
    shot_count += 1;
    shot_age[slot] = 0;
    shot_matrix[slot] = shooter;
    matrix_translate(shot_matrix[slot], 0.0f, 0.0f, muzzle_offset);
}

void remove_shot(int32_t index)
{
    if (index < 0 || index >= shot_count) {
        return;
    }
    const size_t after = static_cast<size_t>(shot_count - index - 1);
    std::memmove(&shot_matrix[index], &shot_matrix[index + 1], after * sizeof(Matrix4));
    std::memmove(&shot_age[index], &shot_age[index + 1], after * sizeof(int32_t));
    shot_count -= 1;
}

void process_shots(int32_t viewer)
{
    const Matrix4& camera = aircraft[viewer].matrix;
    const Matrix4 inverse = matrix_camera_inverse(camera);
    const Mesh* mesh = shot_mesh();
    const bool moves = viewer == 1;  // shots move only in player 2's pass
    // Player 1's pass tests the same point in all five sub-steps, so one
    // test decides.
    const int32_t tests = moves ? shot_sub_steps : 1;

    const float reach = mesh ? corner_reach(*mesh) : 0.0f;
    // What render_mesh leaves of a refused shot: nothing but its border.
    const Mesh no_faces{};

    int32_t i = 0;
    while (i < shot_count) {
        shot_age[i] += age_step;
        if (shot_age[i] > age_limit) {
            // The shot behind it moves into slot i and is handled next.
            remove_shot(i);
            continue;
        }
        bool hit = false;
        for (int32_t step = 0; step < tests; ++step) {
            if (distance_in_frame(shot_matrix[i], inverse) < hit_radius) {
                play_sound(sound_hit);
                aircraft[viewer].energy -= hit_damage;
                remove_shot(i);
                hit = true;
                break;
            }
            if (moves) {
                matrix_translate(shot_matrix[i], 0.0f, 0.0f, shot_step);
            }
        }
        if (hit) {
            continue;
        }
        if (mesh) {
            Matrix4 r;
            matrix_multiply(inverse, shot_matrix[i], r);
            render_mesh(shot_matrix[i], camera, shot_may_show(r, reach) ? *mesh : no_faces,
                        drawn_view ? drawn_view : view_buffer, 0, fire_texture);
        }
        ++i;
    }
}

void collision_test()
{
    const Matrix4 inverse = matrix_camera_inverse(aircraft[1].matrix);
    if (distance_in_frame(aircraft[0].matrix, inverse) < collision_radius && frag_timer <= 0) {
        aircraft[0].energy = -1;
        aircraft[1].energy = -1;
    }
}

void death_checks()
{
    const bool first_dead = aircraft[0].energy < 0;
    const bool second_dead = aircraft[1].energy < 0;
    if (first_dead && second_dead) {
        register_death(0);
        register_death(1);
        frag_timer = frag_sequence_start;
        play_sound(sound_frag);
        std::snprintf(frag_message, sizeof frag_message, "No one got a frag ...");
    } else if (first_dead) {
        register_death(0);
        frag_timer = frag_sequence_start;
        play_sound(sound_frag);
        std::snprintf(frag_message, sizeof frag_message, "%s got a frag ...", shown_player_name(1));
    } else if (second_dead) {
        register_death(1);
        frag_timer = frag_sequence_start;
        play_sound(sound_frag);
        std::snprintf(frag_message, sizeof frag_message, "%s got a frag ...", shown_player_name(0));
    }
}

void frag_award()
{
    if (aircraft[0].energy <= 0 && aircraft[1].energy <= 0) {
        aircraft[0].energy = 0;
        aircraft[1].energy = 0;
    } else if (aircraft[0].energy <= 0) {
        aircraft[1].frags += 1;
    } else if (aircraft[1].energy <= 0) {
        aircraft[0].frags += 1;
    }
    reset_round();
}
