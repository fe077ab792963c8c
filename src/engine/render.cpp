#include "engine/render.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "engine/clip.h"
#include "engine/engine.h"
#include "engine/raster.h"

namespace {

// Screen position in place: x <- focal_x * x / z + width / 2, the same for
// y; the halves are integer halves. The caller has checked z > 0.1.
inline void project(Vertex& v, float focal_x, float focal_y, float half_width, float half_height)
{
    v.x = focal_x * v.x / v.z + half_width;
    v.y = focal_y * v.y / v.z + half_height;
}

// Corners within 0.1 of the eye plane are never projected.
inline bool projectable(const Vertex& v) { return static_cast<double>(v.z) > 0.1; }

inline void draw_face(const Face& face, uint32_t* target, uint32_t colour, const Texture* texture)
{
    if (texture) {
        engine.current_texture = texture;
        fill_textured(face, target);
    } else {
        fill_flat(face, target, colour);
    }
}

// A vertex of the mesh in camera space, made once per call however many
// faces share it: its distances' signs against the four frustum planes
// (bit p of `inside` when the distance to plane p is >= 0, of `outside`
// when it is <= 0, as clip_face counts them) and, once a face inside the
// frustum needs it, its projection and the first pixel row at or below it.
struct CameraVertex {
    Vertex camera;
    Vertex screen;
    float row;
    uint32_t inside, outside;
    bool projected;
};

std::vector<CameraVertex> camera_vertices;  // grows to the largest mesh drawn

// Index of the vertex record in the mesh's own array, or -1.
inline int32_t vertex_index(const Mesh& mesh, const Vertex* v)
{
    const auto at = reinterpret_cast<uintptr_t>(v), first = reinterpret_cast<uintptr_t>(mesh.vertices);
    const uintptr_t index = (at - first) / sizeof(Vertex);
    return mesh.vertices && at >= first && index < static_cast<uintptr_t>(mesh.vertex_count) &&
                   mesh.vertices + index == v
               ? static_cast<int32_t>(index)
               : -1;
}

void draw_mesh(const Matrix4& model, const Matrix4& camera, const Mesh& mesh, uint32_t* target,
               uint32_t colour, const Texture* texture, float mapping_scale)
{
    const Matrix4 view = matrix_camera_inverse(camera);
    Matrix4 combined;
    matrix_multiply(view, model, combined);  // model x view
    const float* m = combined.m;
    const auto transform = [m, mapping_scale](const Vertex& s, Vertex& d) {
        d.x = s.x * m[0] + s.y * m[4] + s.z * m[8] + m[12];
        d.y = s.x * m[1] + s.y * m[5] + s.z * m[9] + m[13];
        d.z = s.x * m[2] + s.y * m[6] + s.z * m[10] + m[14];
        d.u = s.u * mapping_scale;
        d.v = s.v * mapping_scale;
    };

    const float focal_x = static_cast<float>(engine.focal_x);
    const float focal_y = static_cast<float>(engine.focal_y);
    const float half_width = static_cast<float>(engine.width / 2);
    const float half_height = static_cast<float>(engine.height / 2);
    Vertex* const* work = engine.work_vertices;
    ClipList pieces;

    // Every vertex of the mesh transformed and classified once. A face whose
    // corners are all among them is then decided by its corners' signs
    // alone when it lies inside every plane (drawn from the corners'
    // projections) or wholly outside one (dropped), exactly as clip_face
    // would decide it from the same distances; the other faces are clipped.
    const int32_t vertex_count = mesh.vertices && mesh.vertex_count > 0 ? mesh.vertex_count : 0;
    if (camera_vertices.size() < static_cast<size_t>(vertex_count)) {
        camera_vertices.resize(static_cast<size_t>(vertex_count));
    }
    for (int32_t i = 0; i < vertex_count; ++i) {
        CameraVertex& c = camera_vertices[static_cast<size_t>(i)];
        transform(mesh.vertices[i], c.camera);
        c.inside = c.outside = 0;
        for (uint32_t p = 0; p < 4; ++p) {
            const float s = signed_distance(*engine.frustum[p], c.camera);
            c.inside |= (s >= 0.0f ? 1u : 0u) << p;
            c.outside |= (s <= 0.0f ? 1u : 0u) << p;
        }
        c.projected = false;
    }

    for (int32_t f = 0; f < mesh.face_count; ++f) {
        const Face& face = mesh.faces[f];
        CameraVertex* corner[3] = {nullptr, nullptr, nullptr};
        bool cached = true;
        for (int k = 0; k < 3; ++k) {
            const int32_t i = vertex_index(mesh, face.corner[k]);
            if (i < 0) {
                cached = false;
            } else {
                corner[k] = &camera_vertices[static_cast<size_t>(i)];
            }
        }
        if (cached) {
            const uint32_t all_inside = corner[0]->inside & corner[1]->inside & corner[2]->inside;
            const uint32_t all_outside = corner[0]->outside & corner[1]->outside & corner[2]->outside;
            if (all_inside == 15u) {
                // A face inside the frustum with a corner within 0.1 of the
                // eye is skipped, as such a piece of a clipped face is.
                Face screen;
                screen.material = -1;
                bool drawable = true;
                for (int k = 0; k < 3; ++k) {
                    CameraVertex& c = *corner[k];
                    if (!projectable(c.camera)) {
                        drawable = false;
                        break;
                    }
                    if (!c.projected) {
                        Vertex v = c.camera;
                        project(v, focal_x, focal_y, half_width, half_height);
                        c.screen = v;
                        c.row = std::ceil(v.y);
                        c.projected = true;
                    }
                    screen.corner[k] = &c.screen;
                }
                // A face whose corners share their first row crosses no
                // row's centre and fills nothing: most faces of a distant
                // shot.
                if (drawable && !(corner[0]->row == corner[1]->row && corner[1]->row == corner[2]->row)) {
                    draw_face(screen, target, colour, texture);
                }
                continue;
            }
            if ((all_outside & ~all_inside) != 0) {
                continue;  // wholly outside a plane
            }
        }
        for (int k = 0; k < 3; ++k) {
            if (corner[k]) {
                *work[k] = corner[k]->camera;
            } else {
                transform(*face.corner[k], *work[k]);
            }
        }
        const int32_t result = clip_face(engine.work_face, engine.frustum, pieces);
        if (result == 1) {
            // A face inside the frustum with a corner within 0.1 of the eye
            // is skipped, as such a piece of a clipped face is.
            if (!projectable(*work[0]) || !projectable(*work[1]) || !projectable(*work[2])) {
                continue;
            }
            for (int k = 0; k < 3; ++k) {
                project(*work[k], focal_x, focal_y, half_width, half_height);
            }
            draw_face(engine.work_face, target, colour, texture);
        } else if (result == 2) {
            // Pieces of one cut share corner records, so each piece is
            // projected into its own three records rather than in place.
            for (int32_t p = 0; p < pieces.count; ++p) {
                const Face& cut = pieces.faces[p];
                Vertex corners[3];
                Face screen;
                screen.material = -1;
                bool drawable = true;
                for (int k = 0; k < 3 && drawable; ++k) {
                    corners[k] = *cut.corner[k];
                    screen.corner[k] = &corners[k];
                    if (projectable(corners[k])) {
                        project(corners[k], focal_x, focal_y, half_width, half_height);
                    } else {
                        drawable = false;
                    }
                }
                if (drawable) {
                    draw_face(screen, target, colour, texture);
                }
            }
            clip_pool_reset();
        }
    }
}

void clear_row(uint32_t* target, int32_t row)
{
    if (row >= 0 && row < engine.height) {
        std::memset(target + static_cast<ptrdiff_t>(row) * engine_target_stride(), 0,
                    static_cast<size_t>(engine.width) * sizeof(uint32_t));
    }
}

}  // namespace

void render_mesh(const Matrix4& model, const Matrix4& camera, const Mesh& mesh, uint32_t* target,
                 uint32_t colour, const Texture* texture)
{
    // u x 256.0 is exact in float, so the float product equals the double one.
    if (!target || !engine.depth_buffer) {
        return;
    }
    draw_mesh(model, camera, mesh, target, colour, texture, 256.0f);
    clear_row(target, 0);
}

void render_mesh_scaled(const Matrix4& model, const Matrix4& camera, const Mesh& mesh,
                        uint32_t* target, uint32_t colour, const Texture* texture,
                        float mapping_scale)
{
    if (!target || !engine.depth_buffer) {
        return;
    }
    draw_mesh(model, camera, mesh, target, colour, texture, mapping_scale);
    const int32_t h = engine.height;
    for (int32_t row : {0, 1, 2, h - 2, h - 1}) {
        clear_row(target, row);
    }
    const int32_t columns = engine.width < 2 ? engine.width : 2;
    for (int32_t y = 0; y < h; ++y) {
        std::memset(target + static_cast<ptrdiff_t>(y) * engine_target_stride(), 0,
                    static_cast<size_t>(columns) * sizeof(uint32_t));
    }
}
