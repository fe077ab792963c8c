// Consistency checks of a loaded Scene, shared by the asset tests and the
// scene fuzz target (header only, so the fuzz target needs no test library).
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

#include "assets/scene.h"

// Empty when the scene is consistent, else a description of the first fault:
// every count within its range and matching its arrays, every name present
// and at most 63 characters, every face corner inside its mesh's vertices,
// every face material -1 or a material name's index.
inline std::string scene_fault(const Scene& scene)
{
    auto arrays_ok = [](int32_t count, int32_t most, std::initializer_list<const void*> arrays) {
        for (const void* array : arrays) {
            if (count < 0 || count > most || (count == 0) != (array == nullptr)) return false;
        }
        return true;
    };
    auto name_ok = [](const char* name) { return name && std::strlen(name) <= 63; };
    if (!arrays_ok(scene.mesh_count, INT32_MAX, {scene.meshes})) return "mesh array";
    if (!arrays_ok(scene.camera_count, INT32_MAX, {scene.cameras})) return "camera array";
    if (!arrays_ok(scene.material_count, INT32_MAX, {scene.material_names})) return "material names";
    for (int32_t i = 0; i < scene.material_count; ++i) {
        if (!name_ok(scene.material_names[i])) return "material name " + std::to_string(i);
    }
    for (int32_t i = 0; i < scene.mesh_count; ++i) {
        const Mesh& m = scene.meshes[i];
        const std::string at = "mesh " + std::to_string(i) + ": ";
        if (!name_ok(m.name)) return at + "name";
        if (m.node_id > 0xFFFF || m.parent_id > 0xFFFF) return at + "node ids";
        if (!arrays_ok(m.vertex_count, 65535, {m.vertices})) return at + "vertices";
        if (!arrays_ok(m.face_count, 65535, {m.faces})) return at + "faces";
        if (!arrays_ok(m.position_key_count, 65535, {m.position_frame, m.position_x, m.position_y, m.position_z})) {
            return at + "position track";
        }
        if (!arrays_ok(m.rotation_key_count, 65535,
                       {m.rotation_frame, m.rotation_angle, m.rotation_axis_x, m.rotation_axis_y, m.rotation_axis_z})) {
            return at + "rotation track";
        }
        for (int32_t f = 0; f < m.face_count; ++f) {
            const Face& face = m.faces[f];
            if (face.material < -1 || face.material >= scene.material_count) {
                return at + "material of face " + std::to_string(f);
            }
            for (const Vertex* corner : face.corner) {
                const uintptr_t c = reinterpret_cast<uintptr_t>(corner),
                                first = reinterpret_cast<uintptr_t>(m.vertices);
                if (c < first || (c - first) % sizeof(Vertex) != 0 ||
                    (c - first) / sizeof(Vertex) >= uintptr_t(m.vertex_count)) {
                    return at + "corner of face " + std::to_string(f);
                }
            }
        }
    }
    for (int32_t i = 0; i < scene.camera_count; ++i) {
        const SceneCamera& c = scene.cameras[i];
        const std::string at = "camera " + std::to_string(i) + ": ";
        if (!name_ok(c.name)) return at + "name";
        if (!arrays_ok(c.position_key_count, 65535, {c.position_frame, c.position_x, c.position_y, c.position_z})) {
            return at + "position track";
        }
        if (!arrays_ok(c.target_key_count, 65535, {c.target_frame, c.target_x, c.target_y, c.target_z})) {
            return at + "target track";
        }
    }
    return std::string();
}
