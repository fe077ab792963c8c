#include "common/scene_camera.h"

#include <algorithm>
#include <cmath>

SceneBounds scene_bounds(const Scene& scene)
{
    SceneBounds b;
    for (int32_t m = 0; m < scene.mesh_count; ++m) {
        const Mesh& mesh = scene.meshes[m];
        for (int32_t v = 0; v < mesh.vertex_count; ++v) {
            const double p[3] = {mesh.vertices[v].x, mesh.vertices[v].y, mesh.vertices[v].z};
            for (int k = 0; k < 3; ++k) {
                if (!std::isfinite(p[k])) continue;
                b.min[k] = std::min(b.min[k], p[k]);
                b.max[k] = std::max(b.max[k], p[k]);
                b.empty = false;
            }
        }
    }
    return b;
}

void bounding_sphere(const SceneBounds& bounds, double centre[3], double& radius)
{
    centre[0] = centre[1] = centre[2] = 0;
    radius = 1;
    if (bounds.empty) return;
    double r2 = 0;
    for (int k = 0; k < 3; ++k) {
        centre[k] = 0.5 * (bounds.min[k] + bounds.max[k]);
        r2 += 0.25 * (bounds.max[k] - bounds.min[k]) * (bounds.max[k] - bounds.min[k]);
    }
    radius = std::max(std::sqrt(r2), 1e-6);
}

Matrix4 orbit_camera(const double centre[3], double yaw_deg, double pitch_deg, double distance)
{
    const double yaw = yaw_deg * 3.14159265358979 / 180, pitch = pitch_deg * 3.14159265358979 / 180;
    const double f[3] = {std::cos(pitch) * std::sin(yaw), -std::sin(pitch), std::cos(pitch) * std::cos(yaw)};
    const double up[3] = {0, 1, 0};
    // right = forward x up, down = forward x right: right x down = forward.
    double r[3] = {f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2], f[0] * up[1] - f[1] * up[0]};
    double len = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
    if (len < 1e-9) {  // looking straight up or down
        r[0] = -1;
        r[1] = r[2] = 0;
        len = 1;
    }
    for (double& c : r) c /= len;
    const double d[3] = {f[1] * r[2] - f[2] * r[1], f[2] * r[0] - f[0] * r[2], f[0] * r[1] - f[1] * r[0]};
    Matrix4 m;
    matrix_identity(m);
    for (int k = 0; k < 3; ++k) {
        m.m[0 + k] = static_cast<float>(r[k]);
        m.m[4 + k] = static_cast<float>(d[k]);
        m.m[8 + k] = static_cast<float>(f[k]);
        m.m[12 + k] = static_cast<float>(centre[k] - f[k] * distance);
    }
    return m;
}
