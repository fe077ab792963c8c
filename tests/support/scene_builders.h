// Small .3ds files for the tests, written as nested chunks of byte pieces:
// chunk(0x4D4D, {chunk(0x3D3D, {mesh("Box", {vertices({...})})})}).
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "assets/scene.h"
#include "scene_checks.h"
#include "scratch_dir.h"

using Bytes = std::vector<uint8_t>;

inline Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}
inline Bytes u16(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8)}; }
inline Bytes u32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }
inline Bytes f32(std::initializer_list<float> values)
{
    Bytes all;
    for (float f : values) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        all = cat({all, u32(bits)});
    }
    return all;
}
inline Bytes str(const std::string& s) { return cat({Bytes(s.begin(), s.end()), {0}}); }
// A chunk: id, length (its 6-byte header included) and its pieces.
inline Bytes chunk(uint16_t id, std::initializer_list<Bytes> body = {})
{
    const Bytes b = cat(body);
    return cat({u16(id), u32(uint32_t(b.size() + 6)), b});
}
// An object block holding a "Tri-Mesh" with the chunks given.
inline Bytes mesh(const std::string& name, std::initializer_list<Bytes> chunks)
{
    return chunk(0x4000, {str(name), chunk(0x4100, chunks)});
}
// A "Main" chunk with the objects in its "Object Mesh", then the rest.
inline Bytes scene_3ds(std::initializer_list<Bytes> objects, std::initializer_list<Bytes> rest = {})
{
    return chunk(0x4D4D, {chunk(0x3D3D, objects), cat(rest)});
}

struct Point {
    float x, y, z;
};
// One mesh of one triangle with these corners, in the file's axes.
inline Bytes one_triangle_3ds(const std::string& name, const std::vector<Point>& corners)
{
    Bytes vertices = u16(uint32_t(corners.size()));
    for (const Point& p : corners) vertices = cat({vertices, f32({p.x, p.y, p.z})});
    return scene_3ds(
        {mesh(name, {chunk(0x4110, {vertices}), chunk(0x4120, {u16(1), u16(0), u16(1), u16(2), u16(7)})})});
}
inline Bytes empty_3ds() { return scene_3ds({}); }

struct SceneDeleter {
    void operator()(Scene* scene) const { release_scene(scene); }
};
using ScenePtr = std::unique_ptr<Scene, SceneDeleter>;

// Loads the bytes through a scratch file.
inline ScenePtr load_bytes(const Bytes& bytes)
{
    ScratchDir dir;
    return ScenePtr(load_scene(dir.write("scene.3ds", bytes).c_str()));
}
