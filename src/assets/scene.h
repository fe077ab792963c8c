// 3D Studio scenes (.3ds) as the game holds them after reading.
//
// The scene's axes differ from the file's by a swap of the second and third
// axis: a file point (x, y, z) is stored as x, y = file z, z = file y. A file
// face (a, b, c) is stored with corner 0 = a, corner 1 = c, corner 2 = b.
#pragma once

#include <cstdint>

#include "engine/math3d.h"

struct Vertex {
    float x, y, z;  // scene coordinates (camera space while rendering)
    float u, v;     // texture coordinates; v is 1 minus the file's value
};

struct Face {
    int32_t material;   // index into Scene::material_names, -1 when not found
    Vertex* corner[3];  // into the same mesh's vertices
};

struct Mesh {
    uint32_t node_id;  // keyframer node id, 0 until a node names the mesh
    char* name;        // owned
    uint32_t parent_id;
    int32_t position_key_count;
    int32_t rotation_key_count;
    int32_t vertex_count;  // at most 65,535
    int32_t face_count;    // at most 65,535
    // Position track: four parallel arrays of position_key_count floats.
    float* position_frame;
    float* position_x;
    float* position_y;
    float* position_z;
    // Rotation track: five parallel arrays of rotation_key_count floats.
    float* rotation_frame;
    float* rotation_angle;
    float* rotation_axis_x;
    float* rotation_axis_y;
    float* rotation_axis_z;
    Face* faces;
    Vertex* vertices;
    Matrix4 local_matrix;  // all zero when the file has no "Matrix" chunk
};

struct SceneCamera {
    char* name;  // owned
    int32_t target_key_count;
    int32_t position_key_count;
    float* target_frame;
    float* target_x;
    float* target_y;
    float* target_z;
    float* position_frame;
    float* position_x;
    float* position_y;
    float* position_z;
};

struct Scene {
    uint32_t first_frame;
    uint32_t last_frame;
    int32_t material_count;
    int32_t camera_count;
    int32_t mesh_count;
    Mesh* meshes;
    SceneCamera* cameras;
    char** material_names;
};

// Reads a .3ds file (name resolved like every game file, see files.h).
// Returns the new scene, or null when the file cannot be read or is
// malformed; nothing is left allocated on failure.
Scene* load_scene(const char* file_name);

// Frees a scene with all its arrays, tracks and names. Null is ignored.
void release_scene(Scene* scene);
