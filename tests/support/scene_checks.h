// Consistency checks of a loaded Scene, shared by the asset tests and the
// scene fuzz target (header only, so the fuzz target needs no test library).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "assets/scene.h"

// Empty when the scene is consistent, else a description of the first fault:
// every count within its range and matching its array, every name present
// and at most 63 characters, every face corner inside its mesh's vertices,
// every face material -1 or a material name's index.
inline std::string scene_fault(const Scene& scene)
{
    auto array_ok = [](int32_t count, const void* array, int32_t most) {
        return count >= 0 && count <= most && ((count == 0) == (array == nullptr));
    };
    auto name_ok = [](const char* name) { return name && std::strlen(name) <= 63; };
    if (!array_ok(scene.mesh_count, scene.meshes, INT32_MAX)) return "mesh array";
    if (!array_ok(scene.camera_count, scene.cameras, INT32_MAX)) return "camera array";
    if (!array_ok(scene.material_count, scene.material_names, INT32_MAX)) return "material names";
    for (int32_t i = 0; i < scene.material_count; ++i) {
        if (!name_ok(scene.material_names[i])) return "material name " + std::to_string(i);
    }
    for (int32_t i = 0; i < scene.mesh_count; ++i) {
        const Mesh& mesh = scene.meshes[i];
        const std::string at = "mesh " + std::to_string(i) + ": ";
        if (!name_ok(mesh.name)) return at + "name";
        if (mesh.node_id > 0xFFFF || mesh.parent_id > 0xFFFF) return at + "node ids";
        if (!array_ok(mesh.vertex_count, mesh.vertices, 65535)) return at + "vertices";
        if (!array_ok(mesh.face_count, mesh.faces, 65535)) return at + "faces";
        const int32_t p = mesh.position_key_count, r = mesh.rotation_key_count;
        if (!array_ok(p, mesh.position_frame, 65535) || !array_ok(p, mesh.position_x, 65535) ||
            !array_ok(p, mesh.position_y, 65535) || !array_ok(p, mesh.position_z, 65535)) {
            return at + "position track";
        }
        if (!array_ok(r, mesh.rotation_frame, 65535) || !array_ok(r, mesh.rotation_angle, 65535) ||
            !array_ok(r, mesh.rotation_axis_x, 65535) || !array_ok(r, mesh.rotation_axis_y, 65535) ||
            !array_ok(r, mesh.rotation_axis_z, 65535)) {
            return at + "rotation track";
        }
        for (int32_t f = 0; f < mesh.face_count; ++f) {
            const Face& face = mesh.faces[f];
            if (face.material < -1 || face.material >= scene.material_count) {
                return at + "material of face " + std::to_string(f);
            }
            const uintptr_t first = reinterpret_cast<uintptr_t>(mesh.vertices);
            for (const Vertex* corner : face.corner) {
                const uintptr_t c = reinterpret_cast<uintptr_t>(corner);
                if (c < first || (c - first) % sizeof(Vertex) != 0 ||
                    (c - first) / sizeof(Vertex) >= static_cast<uintptr_t>(mesh.vertex_count)) {
                    return at + "corner of face " + std::to_string(f);
                }
            }
        }
    }
    for (int32_t i = 0; i < scene.camera_count; ++i) {
        const SceneCamera& camera = scene.cameras[i];
        const std::string at = "camera " + std::to_string(i) + ": ";
        if (!name_ok(camera.name)) return at + "name";
        const int32_t p = camera.position_key_count, t = camera.target_key_count;
        if (!array_ok(p, camera.position_frame, 65535) || !array_ok(p, camera.position_x, 65535) ||
            !array_ok(p, camera.position_y, 65535) || !array_ok(p, camera.position_z, 65535)) {
            return at + "position track";
        }
        if (!array_ok(t, camera.target_frame, 65535) || !array_ok(t, camera.target_x, 65535) ||
            !array_ok(t, camera.target_y, 65535) || !array_ok(t, camera.target_z, 65535)) {
            return at + "target track";
        }
    }
    return std::string();
}
