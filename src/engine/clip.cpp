#include "engine/clip.h"

#include <cmath>
#include <cstdlib>

namespace {

// Vertex records of cut pieces. One cut makes at most four new records (two
// copied corners and two corners on the plane); a face meets at most four
// straddled planes and the pieces at most double per plane, so the cuts of
// one face number at most 1 + 2 + 4 + 8 = 15.
constexpr int cuts_per_face = 1 + 2 + 4 + 8;
constexpr int records_per_cut = 4;
constexpr int clip_pool_capacity = cuts_per_face * records_per_cut;
static_assert(clip_list_capacity >= 16, "four cuts can make sixteen pieces");

Vertex clip_pool[clip_pool_capacity];
int clip_pool_used = 0;

Vertex* pool_take()
{
    return &clip_pool[clip_pool_used++];
}

// Classification of the whole face against one plane: a corner exactly on
// the plane counts as both in and out.
enum : int32_t { code_inside = 1, code_outside = 2, code_straddling = 4 };

int32_t classify(const Face& face, const Plane& plane)
{
    int in = 0, out = 0;
    for (int k = 0; k < 3; ++k) {
        const float s = signed_distance(plane, *face.corner[k]);
        if (s >= 0.0f) {
            ++in;
        }
        if (s <= 0.0f) {
            ++out;
        }
    }
    if (in == 3) {
        return code_inside;
    }
    if (out == 3) {
        return code_outside;
    }
    return code_straddling;
}

Face piece(Vertex* a, Vertex* b, Vertex* c)
{
    Face f;
    f.material = -1;
    f.corner[0] = a;
    f.corner[1] = b;
    f.corner[2] = c;
    return f;
}

}  // namespace

void clip_pool_reset() { clip_pool_used = 0; }

void plane_from_points(Plane& plane, float x1, float y1, float z1, float x2, float y2, float z2,
                       float x3, float y3, float z3)
{
    const float ux = x2 - x1, uy = y2 - y1, uz = z2 - z1;
    const float wx = x1 - x3, wy = y1 - y3, wz = z1 - z3;
    const float nx = uz * wy - uy * wz;
    const float ny = wz * ux - uz * wx;
    const float nz = uy * wx - ux * wy;
    // The squares are summed in float; the root and the divisions are taken
    // in double (the C library's sqrt) and stored as floats.
    const double length = std::sqrt(static_cast<double>(nx * nx + ny * ny + nz * nz));
    plane.a = static_cast<float>(static_cast<double>(nx) / length);
    plane.b = static_cast<float>(static_cast<double>(ny) / length);
    plane.c = static_cast<float>(static_cast<double>(nz) / length);
    plane.d = -(plane.a * x1 + plane.b * y1 + plane.c * z1);
}

bool frustum_build(Plane* (&frustum)[4], float extent_x, float extent_y, float focal_x, float focal_y)
{
    // Tangents of the half opening angles.
    const float hx = extent_x / (focal_x + focal_x);
    const float hy = extent_y / (focal_y + focal_y);
    for (int k = 0; k < 4; ++k) {
        frustum[k] = nullptr;
    }
    for (int k = 0; k < 4; ++k) {
        auto* plane = static_cast<Plane*>(std::malloc(sizeof(Plane)));
        if (!plane) {
            return false;
        }
        switch (k) {
        case 0:  // right: x <= hx * z
            plane_from_points(*plane, 0, 0, 0, hx, 0, 1, hx, 1, 1);
            break;
        case 1:  // left: x >= -hx * z
            plane_from_points(*plane, 0, 0, 0, -hx, 1, 1, -hx, 0, 1);
            break;
        case 2:  // top: y >= -hy * z
            plane_from_points(*plane, 0, 0, 0, 0, -hy, 1, 1, -hy, 1);
            break;
        default:  // bottom: y <= hy * z
            plane_from_points(*plane, 0, 0, 0, 1, hy, 1, 0, hy, 1);
            break;
        }
        frustum[k] = plane;
    }
    return true;
}

void edge_intersect(Vertex& out, const Vertex& from, const Vertex& to, const Plane& plane)
{
    const float sf = signed_distance(plane, from);
    const float st = signed_distance(plane, to);
    const float t = sf / (sf - st);
    out.x = from.x + (to.x - from.x) * t;
    out.y = from.y + (to.y - from.y) * t;
    out.z = from.z + (to.z - from.z) * t;
    out.u = from.u + (to.u - from.u) * t;
    out.v = from.v + (to.v - from.v) * t;
}

ClipResult clip_against_plane(const Face& face, const Plane& plane)
{
    ClipResult result;
    result.count = 0;
    int inside = 0, outside = 0;
    int last_in = 0, last_out = 0;
    for (int k = 0; k < 3; ++k) {
        // A corner exactly on the plane is inside only.
        if (signed_distance(plane, *face.corner[k]) >= 0.0f) {
            ++inside;
            last_in = k;
        } else {
            ++outside;
            last_out = k;
        }
    }
    if (inside == 0) {
        return result;
    }
    if (outside == 0) {
        result.count = 1;
        result.faces[0] = face;
        return result;
    }
    // Records come from the per-face pool; clip_face empties it first, so
    // this cannot run short there. A caller cutting by hand without emptying
    // the pool gets the face dropped rather than an overrun.
    if (clip_pool_used + records_per_cut > clip_pool_capacity) {
        return result;
    }
    Vertex* const* v = face.corner;
    if (outside == 1) {
        const int o = last_out, j = (o + 1) % 3, k = (o + 2) % 3;
        Vertex* a = pool_take();
        Vertex* b = pool_take();
        Vertex* vj = pool_take();
        Vertex* vk = pool_take();
        edge_intersect(*a, *v[j], *v[o], plane);
        edge_intersect(*b, *v[k], *v[o], plane);
        *vj = *v[j];
        *vk = *v[k];
        result.count = 2;
        result.faces[0] = piece(vk, a, vj);
        result.faces[1] = piece(b, a, vk);
        return result;
    }
    // Exactly one corner inside.
    const int i = last_in, p = (i + 2) % 3, q = (i + 1) % 3;
    Vertex* a = pool_take();
    Vertex* b = pool_take();
    Vertex* vi = pool_take();
    edge_intersect(*a, *v[p], *v[i], plane);
    edge_intersect(*b, *v[q], *v[i], plane);
    *vi = *v[i];
    result.count = 1;
    result.faces[0] = piece(a, vi, b);
    return result;
}

int32_t clip_face(const Face& face, Plane* const frustum[4], ClipList& out)
{
    clip_pool_reset();

    int32_t code[4];
    bool all_inside = true;
    bool any_outside = false;
    for (int k = 0; k < 4; ++k) {
        code[k] = classify(face, *frustum[k]);
        all_inside = all_inside && code[k] == code_inside;
        any_outside = any_outside || code[k] == code_outside;
    }
    out.count = 1;
    out.faces[0] = face;
    if (all_inside) {
        return 1;
    }
    if (any_outside) {
        return 0;
    }
    for (int k = 0; k < 4; ++k) {
        if (code[k] != code_straddling) {
            continue;
        }
        Face next[clip_list_capacity];
        int32_t count = 0;
        for (int32_t f = 0; f < out.count; ++f) {
            const ClipResult cut = clip_against_plane(out.faces[f], *frustum[k]);
            if (cut.count == 0) {
                return 0;  // the whole face is dropped, pieces found so far too
            }
            for (int32_t c = 0; c < cut.count; ++c) {
                next[count++] = cut.faces[c];
            }
        }
        for (int32_t f = 0; f < count; ++f) {
            out.faces[f] = next[f];
        }
        out.count = count;
    }
    return 2;
}
