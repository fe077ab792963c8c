// Builders of small .3ds files for the tests (the scene reader's, and the
// game's and the shell's models), and loading of byte vectors through a
// scratch file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../../tools/common/chunk_writer.h"
#include "assets/scene.h"
#include "scene_checks.h"
#include "scratch_dir.h"

namespace chunk {
constexpr uint16_t main = 0x4D4D, object_mesh = 0x3D3D, object_block = 0x4000,
                   tri_mesh = 0x4100, vertex_list = 0x4110, vertex_flags = 0x4111,
                   face_list = 0x4120, face_material = 0x4130, mappings = 0x4140,
                   smoothings = 0x4150, matrix = 0x4160, mesh_color = 0x4165, light = 0x4600,
                   spotlight = 0x4610, camera = 0x4700, material = 0xAFFF,
                   material_name = 0xA000, keyframer = 0xB000, ambient_key = 0xB001,
                   track_info = 0xB002, camera_track = 0xB003, target_track = 0xB004,
                   pointlight_track = 0xB005, frames = 0xB008, node_header = 0xB010,
                   position_keys = 0xB020, rotation_keys = 0xB021, scale_keys = 0xB022,
                   fov_track = 0xB023, roll_track = 0xB024, color_track = 0xB025,
                   object_number = 0xB030;
}  // namespace chunk

struct SceneDeleter {
    void operator()(Scene* scene) const { release_scene(scene); }
};
using ScenePtr = std::unique_ptr<Scene, SceneDeleter>;

// Writes the bytes to a scratch file and loads it.
inline ScenePtr load_bytes(const std::vector<uint8_t>& bytes)
{
    ScratchDir dir;
    return ScenePtr(load_scene(dir.write("scene.3ds", bytes).c_str()));
}

inline ScenePtr load_writer(const ChunkWriter& w) { return load_bytes(w.bytes()); }

struct Point {
    float x, y, z;
};
using Corners = std::array<uint16_t, 3>;

inline void vertex_list(ChunkWriter& w, const std::vector<Point>& points)
{
    w.chunk(chunk::vertex_list, [&] {
        w.u16(static_cast<uint16_t>(points.size()));
        for (const Point& p : points) {
            w.f32(p.x);
            w.f32(p.y);
            w.f32(p.z);
        }
    });
}

// A "Face list" chunk; sub writes its sub-chunks.
template <class F>
void face_list(ChunkWriter& w, const std::vector<Corners>& faces, F&& sub)
{
    w.chunk(chunk::face_list, [&] {
        w.u16(static_cast<uint16_t>(faces.size()));
        for (const Corners& f : faces) {
            w.u16(f[0]);
            w.u16(f[1]);
            w.u16(f[2]);
            w.u16(0x0007);
        }
        sub();
    });
}
inline void face_list(ChunkWriter& w, const std::vector<Corners>& faces)
{
    face_list(w, faces, [] {});
}

inline void face_material(ChunkWriter& w, const std::string& name, const std::vector<uint16_t>& faces)
{
    w.chunk(chunk::face_material, [&] {
        w.name(name);
        w.u16(static_cast<uint16_t>(faces.size()));
        for (uint16_t f : faces) w.u16(f);
    });
}

inline void mappings(ChunkWriter& w, const std::vector<std::array<float, 2>>& uv)
{
    w.chunk(chunk::mappings, [&] {
        w.u16(static_cast<uint16_t>(uv.size()));
        for (const auto& m : uv) {
            w.f32(m[0]);
            w.f32(m[1]);
        }
    });
}

inline void material(ChunkWriter& w, const std::string& name)
{
    w.chunk(chunk::material, [&] { w.chunk(chunk::material_name, [&] { w.name(name); }); });
}

// "Object Block" named name holding a "Tri-Mesh" whose sub-chunks body writes.
template <class F>
void mesh_object(ChunkWriter& w, const std::string& name, F&& body)
{
    w.chunk(chunk::object_block, [&] {
        w.name(name);
        w.chunk(chunk::tri_mesh, body);
    });
}

// A triangle mesh: three vertices, one face (0, 1, 2).
inline void triangle_object(ChunkWriter& w, const std::string& name)
{
    mesh_object(w, name, [&] {
        vertex_list(w, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
        face_list(w, {{0, 1, 2}});
    });
}

inline void camera_object(ChunkWriter& w, const std::string& name)
{
    w.chunk(chunk::object_block, [&] {
        w.name(name);
        w.chunk(chunk::camera, [&] {
            for (int i = 0; i < 8; ++i) w.f32(static_cast<float>(i));
        });
    });
}

// "Main" holding "Object Mesh" (whose chunks objects writes) and then
// whatever after writes (normally the keyframer).
template <class F, class G>
void scene_file(ChunkWriter& w, F&& objects, G&& after)
{
    w.chunk(chunk::main, [&] {
        w.chunk(chunk::object_mesh, objects);
        after();
    });
}
template <class F>
void scene_file(ChunkWriter& w, F&& objects)
{
    scene_file(w, objects, [] {});
}

// A whole .3ds file: one mesh (the name given) of one triangle with these
// corners, in the file's axes.
inline std::vector<uint8_t> one_triangle_3ds(const std::string& name, const std::vector<Point>& corners)
{
    ChunkWriter w;
    scene_file(w, [&] {
        mesh_object(w, name, [&] {
            vertex_list(w, corners);
            face_list(w, {{0, 1, 2}});
        });
    });
    return w.bytes();
}

// A whole .3ds file that holds no mesh at all.
inline std::vector<uint8_t> empty_3ds()
{
    ChunkWriter w;
    scene_file(w, [] {});
    return w.bytes();
}

// Track chunks.
inline void track_header(ChunkWriter& w, uint32_t key_count)
{
    w.u16(0x0040);
    w.u32(0);
    w.u32(0);
    w.u32(key_count);
}
inline void key_header(ChunkWriter& w, uint32_t frame, uint16_t flags = 0)
{
    w.u32(frame);
    w.u16(flags);
    for (int bit = 0; bit < 3; ++bit) {
        if (flags & (1 << bit)) w.f32(-99.0f);
    }
}

struct PositionKey {
    uint32_t frame;
    float x, y, z;
};
struct RotationKey {
    uint32_t frame;
    float angle, x, y, z;
};

inline void position_keys(ChunkWriter& w, const std::vector<PositionKey>& keys)
{
    w.chunk(chunk::position_keys, [&] {
        track_header(w, static_cast<uint32_t>(keys.size()));
        for (const PositionKey& k : keys) {
            key_header(w, k.frame);
            w.f32(k.x);
            w.f32(k.y);
            w.f32(k.z);
        }
    });
}

inline void rotation_keys(ChunkWriter& w, const std::vector<RotationKey>& keys)
{
    w.chunk(chunk::rotation_keys, [&] {
        track_header(w, static_cast<uint32_t>(keys.size()));
        for (const RotationKey& k : keys) {
            key_header(w, k.frame);
            w.f32(k.angle);
            w.f32(k.x);
            w.f32(k.y);
            w.f32(k.z);
        }
    });
}

inline void node_id(ChunkWriter& w, uint16_t id)
{
    w.chunk(chunk::object_number, [&] { w.u16(id); });
}

inline void node_header(ChunkWriter& w, const std::string& name, uint16_t parent = 0xFFFF)
{
    w.chunk(chunk::node_header, [&] {
        w.name(name);
        w.u16(0x4000);
        w.u16(0);
        w.u16(parent);
    });
}

// A node container (kind: track_info, camera_track or target_track) with an
// "Object number", a node header and the tracks body writes.
template <class F>
void node(ChunkWriter& w, uint16_t kind, uint16_t id, const std::string& name, uint16_t parent,
          F&& tracks)
{
    w.chunk(kind, [&] {
        node_id(w, id);
        node_header(w, name, parent);
        tracks();
    });
}
