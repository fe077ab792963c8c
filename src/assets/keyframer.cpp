// Keyframer nodes and tracks of the .3ds reader.
//
// A node container ("Track info", "Camera track", "Camera target track")
// sets the kind of node, its "Object number" and "Track obj. name" chunks
// name it, and its track chunks follow. The position and rotation tracks of
// meshes and the position tracks of cameras and camera targets are stored in
// the scene (filling pass only); every other track is read and dropped.
// Positions and rotation axes swap the file's second and third axes, like
// the vertices.
//
// The keyframer fields of the reader state carry over between nodes and
// between loads. A node index that points beyond the current scene's meshes
// or cameras (left by an earlier scene) stores nothing, like a node whose
// name matched nothing.

#include <cstring>

#include "assets/scene_reader.h"

namespace {

SceneReaderState& state = scene_reader_state;

// Where a track's keys go: the owner's count field and its parallel arrays
// (frame first). Null count: the track is read and dropped.
struct TrackSlot {
    int32_t* count = nullptr;
    float** arrays[5] = {};
    int array_count = 0;
};

// The track header: flags, two ignored 32-bit values and the key count, of
// which only the low 16 bits count.
int read_track_header(FILE* file, int32_t& key_count)
{
    unsigned char b[14];
    if (read_bytes(file, b, 14) != 1) {
        return -1;
    }
    key_count = static_cast<int32_t>(get_u32(b + 10) & 0xFFFFu);
    return 1;
}

// The key header: the frame number (low 16 bits used) and the spline flags,
// followed by one 4-byte value for each of flag bits 0, 1 and 2.
int read_key_header(FILE* file, float& frame)
{
    unsigned char b[12];
    if (read_bytes(file, b, 6) != 1) {
        return -1;
    }
    frame = static_cast<float>(get_u16(b));
    const uint16_t flags = get_u16(b + 4);
    const size_t extra = 4u * (((flags >> 0) & 1u) + ((flags >> 1) & 1u) + ((flags >> 2) & 1u));
    return extra == 0 ? 1 : read_bytes(file, b, extra);
}

// Reads a track whose keys carry value_count floats. When slot has a count
// field, the track replaces the owner's previous one: value j of each key
// goes to the array store_at[j] of the slot (array 0 is the frame).
int read_track(FILE* file, int value_count, const int* store_at, TrackSlot& slot)
{
    int32_t n = 0;
    if (read_track_header(file, n) != 1) {
        return -1;
    }
    if (slot.count) {
        bool ok = true;
        for (int a = 0; a < slot.array_count; ++a) {
            free_floats(*slot.arrays[a]);
        }
        *slot.count = 0;
        for (int a = 0; a < slot.array_count; ++a) {
            *slot.arrays[a] = new_floats(n, ok);
        }
        if (!ok) {
            return -1;
        }
        *slot.count = n;
        state.key_index = 0;
    }
    unsigned char b[16];
    for (int32_t k = 0; k < n; ++k) {
        float frame = 0.0f;
        if (read_key_header(file, frame) != 1 || read_bytes(file, b, 4u * value_count) != 1) {
            return -1;
        }
        if (slot.count && state.key_index >= 0 && state.key_index < *slot.count) {
            const int32_t at = state.key_index++;
            (*slot.arrays[0])[at] = frame;
            for (int j = 0; j < value_count; ++j) {
                (*slot.arrays[store_at[j]])[at] = get_f32(b + 4 * j);
            }
        }
    }
    return 1;
}

// The stored node's mesh or camera, when the node index lies in the scene.
Mesh* node_mesh()
{
    const Scene* scene = state.scene;
    if (state.node_index < 0 || state.node_index >= scene->mesh_count) {
        return nullptr;
    }
    return &scene->meshes[state.node_index];
}

SceneCamera* node_camera()
{
    const Scene* scene = state.scene;
    if (state.node_index < 0 || state.node_index >= scene->camera_count) {
        return nullptr;
    }
    return &scene->cameras[state.node_index];
}

int walk_node(FILE* file, int64_t chunk_end, int32_t kind)
{
    state.track_kind = kind;
    return walk_chunks(file, chunk_end);
}

}  // namespace

int read_object_node(FILE* file, int64_t chunk_end)
{
    return walk_node(file, chunk_end, track_kind_object);
}

int read_camera_node(FILE* file, int64_t chunk_end)
{
    return walk_node(file, chunk_end, track_kind_camera);
}

int read_camera_target_node(FILE* file, int64_t chunk_end)
{
    return walk_node(file, chunk_end, track_kind_target);
}

int read_node_id(FILE* file, int64_t)
{
    unsigned char b[2];
    if (read_bytes(file, b, 2) != 1) {
        return -1;
    }
    state.node_id = get_u16(b);
    return 1;
}

// "Track obj. name": the node's name, two flag words and the parent id. An
// object node looks its name up among the meshes (and becomes kind 4), any
// other node among the cameras.
int read_node_header(FILE* file, int64_t)
{
    unsigned char b[6];
    if (read_name(file, state.node_name) != 1 || read_bytes(file, b, 6) != 1) {
        return -1;
    }
    if (state.counting == 1) {
        return 1;
    }
    const Scene* scene = state.scene;
    state.node_index = -1;
    if (state.track_kind != track_kind_object) {
        for (int32_t i = 0; i < scene->camera_count; ++i) {
            const char* name = scene->cameras[i].name;
            if (name && std::strcmp(name, state.node_name) == 0) {
                state.node_index = i;
                break;
            }
        }
        return 1;
    }
    for (int32_t i = 0; i < scene->mesh_count; ++i) {
        Mesh& mesh = scene->meshes[i];
        if (mesh.name && std::strcmp(mesh.name, state.node_name) == 0) {
            state.node_index = i;
            mesh.node_id = state.node_id;
            mesh.parent_id = get_u16(b + 4);
            break;
        }
    }
    state.track_kind = track_kind_matched;
    return 1;
}

// "Position keys": x, y, z per key; kept for meshes (kind 4), cameras
// (kind 3) and camera targets (kind 2).
int read_position_track(FILE* file, int64_t)
{
    static const int store_at[3] = {1, 3, 2};  // file y -> z, file z -> y
    TrackSlot slot;
    if (state.counting == 0) {
        if (state.track_kind == track_kind_matched) {
            if (Mesh* mesh = node_mesh()) {
                slot = {&mesh->position_key_count,
                        {&mesh->position_frame, &mesh->position_x, &mesh->position_y,
                         &mesh->position_z},
                        4};
            }
        } else if (state.track_kind == track_kind_camera) {
            if (SceneCamera* camera = node_camera()) {
                slot = {&camera->position_key_count,
                        {&camera->position_frame, &camera->position_x, &camera->position_y,
                         &camera->position_z},
                        4};
            }
        } else if (state.track_kind == track_kind_target) {
            if (SceneCamera* camera = node_camera()) {
                slot = {&camera->target_key_count,
                        {&camera->target_frame, &camera->target_x, &camera->target_y,
                         &camera->target_z},
                        4};
            }
        }
    }
    return read_track(file, 3, store_at, slot);
}

// "Rotation keys": angle and axis x, y, z per key; kept for meshes only.
int read_rotation_track(FILE* file, int64_t)
{
    static const int store_at[4] = {1, 2, 4, 3};  // file axis y -> z, axis z -> y
    TrackSlot slot;
    if (state.counting == 0 && state.track_kind == track_kind_matched) {
        if (Mesh* mesh = node_mesh()) {
            slot = {&mesh->rotation_key_count,
                    {&mesh->rotation_frame, &mesh->rotation_angle, &mesh->rotation_axis_x,
                     &mesh->rotation_axis_y, &mesh->rotation_axis_z},
                    5};
        }
    }
    return read_track(file, 4, store_at, slot);
}

// "Scale keys" and "Color track": three floats per key, dropped.
int read_scale_track(FILE* file, int64_t)
{
    TrackSlot none;
    return read_track(file, 3, nullptr, none);
}

// "FOV track" and "Roll track": one float per key, dropped.
int read_fov_track(FILE* file, int64_t)
{
    TrackSlot none;
    return read_track(file, 1, nullptr, none);
}
