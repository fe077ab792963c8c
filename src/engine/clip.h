// The view frustum's four side planes and the clipping of faces against them.
#pragma once

#include <cstdint>

#include "assets/scene.h"

// a*x + b*y + c*z + d >= 0 is the inner side; (a, b, c) has unit length.
struct Plane {
    float a, b, c, d;
};

// The pieces of one face cut at one plane.
struct ClipResult {
    int32_t count;  // 0, 1 or 2
    Face faces[2];
};

// The pieces of one face cut at the whole frustum. Each cut at most doubles
// the pieces, so four planes give at most sixteen.
constexpr int clip_list_capacity = 16;
struct ClipList {
    int32_t count;
    Face faces[clip_list_capacity];
};

// a*x + b*y + c*z + d of the vertex: the distance that classifies and cuts.
inline float signed_distance(const Plane& p, const Vertex& v)
{
    return p.a * v.x + p.b * v.y + p.c * v.z + p.d;
}

void plane_from_points(Plane& plane, float x1, float y1, float z1, float x2, float y2, float z2,
                       float x3, float y3, float z3);

// Creates the four planes (right, left, top, bottom) through the eye; false
// when one could not be allocated (those not made are null).
bool frustum_build(Plane* (&frustum)[4], float extent_x, float extent_y, float focal_x, float focal_y);

// 0 = dropped, 1 = inside (out holds the face unchanged), 2 = clipped (out
// holds the pieces, whose vertices come from the clip pool). A piece lying
// wholly outside a later plane drops the whole face. Empties the clip pool
// first, so the pieces of one face stay valid until the next call.
int32_t clip_face(const Face& face, Plane* const frustum[4], ClipList& out);
// One cut: a corner with distance >= 0 is inside. A cut face's pieces refer
// only to new records from the clip pool (the two pieces of a face with one
// corner outside share two of them). The pool holds the worst case of one
// clip_face; a caller cutting by hand empties it with clip_pool_reset, and
// gets count 0 rather than an overrun if it never does.
ClipResult clip_against_plane(const Face& face, const Plane& plane);
// Sets out's x, y, z, u, v where the edge from -> to crosses the plane.
void edge_intersect(Vertex& out, const Vertex& from, const Vertex& to, const Plane& plane);

// Empties the pool of vertex records made while clipping one face.
void clip_pool_reset();
