// Modelling helpers for the aeroplanes and the other meshes: lofted bodies
// of superellipse sections, aerofoil surfaces, slabs, and the texture
// mappings that the livery painters share with the meshes.
#pragma once

#include <functional>

#include "datagen.h"

namespace datagen {

struct V3 {
    float x, y, z;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }

// Texture coordinates (u, v in 0..1, v counted down the texture) of a point
// of a part, given its position and the part's own surface parameters.
using UvFn = std::function<void(const V3& p, float s, float t, float& u, float& v)>;

// Adds a vertex and returns its index.
uint32_t add_vertex(ModelMesh& m, V3 p, float u, float v);
// Adds a triangle unless it is degenerate.
void add_tri(ModelMesh& m, uint32_t a, uint32_t b, uint32_t c);
void add_quad(ModelMesh& m, uint32_t a, uint32_t b, uint32_t c, uint32_t d);

// A section of a lofted body: centre (x, y) at depth z, half width a, half
// height b, superellipse exponent n (2 = ellipse, larger = boxier).
struct Section {
    float z, a, b, n = 2.0f, y = 0.0f, x = 0.0f;
};
// Lofts the sections (ordered nose to tail or tail to nose) with `around`
// segments; s is the angle fraction (0 top, 0.25 right, 0.5 bottom, 0.75
// left) and t the section index fraction. Closes both ends.
void loft(ModelMesh& m, const std::vector<Section>& sections, int around, const UvFn& uv);

// An aerofoil surface. Each station gives the leading-edge point, the
// chord (laid along -Z) and the relative thickness; `up` is the thickness
// direction (-Y for wings and tailplanes, +X for fins). s runs along the
// span stations 0..1, t along the chord 0..1 (the uv function also gets
// whether the point is on the upper side via t: upper side 0..1, lower side
// 1..2).
struct WingStation {
    V3 le;
    float chord;
    float thickness;
};
void aerofoil(ModelMesh& m, const std::vector<WingStation>& stations, V3 up, const UvFn& uv);

// Mirrors stations to the left side (x negated).
std::vector<WingStation> mirrored(const std::vector<WingStation>& stations);

// A straight tapered wing planform from root to tip, with optional
// rounding of the tip (0 = square, 1 = elliptic), split into `count`
// stations.
std::vector<WingStation> planform(V3 root_le, float root_chord, float semispan, float tip_chord, float sweep,
                                  float dihedral, float thickness, int count, float rounding);

// A thin slab between four corner points (a quadrilateral) with a
// thickness, used for propeller blades and small fins.
void slab(ModelMesh& m, V3 a, V3 b, V3 c, V3 d, V3 normal, float half_thickness, float u, float v);

// --- the livery atlas shared by every aeroplane texture -----------------
//
// rows   0..127  body, unrolled: column along the length (nose at the left),
//                row around it (top 0, right 32, belly 64, left 96)
// rows 128..191  wings seen from above (column = distance from the centre
//                line, row = distance behind the wing's reference line)
// rows 192..255  columns 0..127 tailplane from above, 128..255 fin from the
//                side
struct BodyMap {
    float z_nose, z_tail;
    float row0 = 2.0f, rows = 124.0f;  // the band of rows this body uses
    float col(float z) const { return 2.0f + (z_nose - z) / (z_nose - z_tail) * 252.0f; }
    float row(float s) const { return row0 + s * rows; }
    float z_at(float c) const { return z_nose - (c - 2.0f) / 252.0f * (z_nose - z_tail); }
    float s_at(float r) const { return (r - row0) / rows; }
};
// The liveries are painted in model space (the painters get the surface
// point), so the atlas scales need not be the same along both axes.
struct TopMap {  // wings and tailplane
    float col0, row0, sx, sz, z_ref;
    float col(float x) const { return col0 + std::fabs(x) * sx; }
    float row(float z) const { return row0 + (z_ref - z) * sz; }
    float x_at(float c) const { return (c - col0) / sx; }
    float z_at(float r) const { return z_ref - (r - row0) / sz; }
};
struct SideMap {  // fin
    float col0, row0, sz, sy, z_ref, y_ref;
    float col(float z) const { return col0 + (z_ref - z) * sz; }
    float row(float y) const { return row0 + (y - y_ref) * sy; }
    float z_at(float c) const { return z_ref - (c - col0) / sz; }
    float y_at(float r) const { return y_ref + (r - row0) / sy; }
};
// Maps fitted to a set of stations: the wing or tailplane box from the
// centre line to the tip, the fin box from root to tip, inside the atlas
// rectangle given (with a texel of margin).
TopMap fit_top(const std::vector<WingStation>& st, float col0, float row0, float cols, float rows);
SideMap fit_side(const std::vector<std::vector<WingStation>>& fins, float col0, float row0, float cols, float rows);
// A fin's stations: like planform, but the span goes up (-Y) from the root.
std::vector<WingStation> fin_planform(V3 root_le, float root_chord, float height, float tip_chord, float sweep,
                                      float thickness, int count, float rounding, float cant = 0.0f);

// Point on a lofted body at depth z and angle fraction s (sections
// interpolated linearly), and the body's girth there.
V3 body_point(const std::vector<Section>& sections, float z, float s);
float body_girth(const std::vector<Section>& sections, float z);

UvFn body_uv(const BodyMap& map);
UvFn top_uv(const TopMap& map);
UvFn side_uv(const SideMap& map);
// One fixed texel for parts drawn flat (their uv is never used).
UvFn flat_uv();

}  // namespace datagen
