#include "geometry.h"

#include <cmath>

namespace datagen {

uint32_t add_vertex(ModelMesh& m, V3 p, float u, float v)
{
    // Keep texture coordinates on texel centres inside the atlas so that
    // the renderer's wrap-around never reaches the other side.
    u = std::clamp(u, 0.5f / 256.0f, 255.5f / 256.0f);
    v = std::clamp(v, 0.5f / 256.0f, 255.5f / 256.0f);
    m.vertices.push_back({p.x, p.y, p.z, u, v});
    return uint32_t(m.vertices.size() - 1);
}

void add_tri(ModelMesh& m, uint32_t a, uint32_t b, uint32_t c)
{
    auto same = [&](uint32_t i, uint32_t j) {
        const ModelVertex& p = m.vertices[i];
        const ModelVertex& q = m.vertices[j];
        return std::fabs(p.x - q.x) < 1e-5f && std::fabs(p.y - q.y) < 1e-5f && std::fabs(p.z - q.z) < 1e-5f;
    };
    if (same(a, b) || same(b, c) || same(a, c)) return;
    m.faces.push_back(a);
    m.faces.push_back(b);
    m.faces.push_back(c);
}

void add_quad(ModelMesh& m, uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    add_tri(m, a, b, c);
    add_tri(m, a, c, d);
}

namespace {

float spow(float v, float e) { return (v < 0.0f ? -1.0f : 1.0f) * std::pow(std::fabs(v), e); }

}  // namespace

void loft(ModelMesh& m, const std::vector<Section>& sections, int around, const UvFn& uv)
{
    const size_t n = sections.size();
    std::vector<uint32_t> ring_start;
    for (size_t i = 0; i < n; ++i) {
        const Section& s = sections[i];
        ring_start.push_back(uint32_t(m.vertices.size()));
        for (int k = 0; k <= around; ++k) {
            const float f = float(k) / float(around);
            const float th = f * 6.2831853f;
            const V3 p{s.x + s.a * spow(std::sin(th), 2.0f / s.n), s.y - s.b * spow(std::cos(th), 2.0f / s.n), s.z};
            float u = 0, v = 0;
            uv(p, f, float(i) / float(n - 1), u, v);
            add_vertex(m, p, u, v);
        }
    }
    for (size_t i = 0; i + 1 < n; ++i) {
        for (int k = 0; k < around; ++k) {
            const uint32_t a = ring_start[i] + uint32_t(k), b = a + 1;
            const uint32_t c = ring_start[i + 1] + uint32_t(k) + 1, d = c - 1;
            add_quad(m, a, b, c, d);
        }
    }
    // Close the ends that have an opening.
    for (size_t end : {size_t(0), n - 1}) {
        const Section& s = sections[end];
        if (s.a < 1e-4f && s.b < 1e-4f) continue;
        float u = 0, v = 0;
        const V3 centre{s.x, s.y, s.z};
        uv(centre, 0.5f, float(end) / float(n - 1), u, v);
        const uint32_t c = add_vertex(m, centre, u, v);
        for (int k = 0; k < around; ++k) add_tri(m, c, ring_start[end] + uint32_t(k), ring_start[end] + uint32_t(k) + 1);
    }
}

namespace {

const float chord_points[] = {0.0f, 0.025f, 0.08f, 0.18f, 0.32f, 0.5f, 0.68f, 0.85f, 1.0f};
constexpr int chord_count = 9;

float half_thickness(float s)
{
    // NACA four-digit thickness form, per unit of relative thickness.
    const float t = 5.0f * (0.2969f * std::sqrt(s) - 0.126f * s - 0.3516f * s * s + 0.2843f * s * s * s -
                            0.1036f * s * s * s * s);
    return std::max(t, 0.004f);
}

}  // namespace

void aerofoil(ModelMesh& m, const std::vector<WingStation>& stations, V3 up, const UvFn& uv)
{
    // Ring per station: upper surface trailing edge -> leading edge, then
    // lower surface leading edge -> trailing edge.
    const int ring = 2 * chord_count - 1;
    std::vector<uint32_t> start;
    const size_t n = stations.size();
    for (size_t i = 0; i < n; ++i) {
        const WingStation& w = stations[i];
        start.push_back(uint32_t(m.vertices.size()));
        for (int k = 0; k < ring; ++k) {
            const bool upper = k < chord_count;
            const int j = upper ? chord_count - 1 - k : k - chord_count + 1;
            const float s = chord_points[j];
            const float h = half_thickness(s) * w.thickness * w.chord * (upper ? 1.0f : -0.75f);
            const V3 p = w.le + V3{0, 0, -s * w.chord} + up * h;
            float u = 0, v = 0;
            uv(p, float(i) / float(n - 1), upper ? s : 1.0f + s, u, v);
            add_vertex(m, p, u, v);
        }
    }
    for (size_t i = 0; i + 1 < n; ++i) {
        for (int k = 0; k + 1 < ring; ++k) {
            add_quad(m, start[i] + uint32_t(k), start[i] + uint32_t(k) + 1, start[i + 1] + uint32_t(k) + 1,
                     start[i + 1] + uint32_t(k));
        }
    }
    // Caps at both ends: strips between matching upper and lower points.
    for (size_t end : {size_t(0), n - 1}) {
        for (int j = 0; j + 1 < chord_count; ++j) {
            const uint32_t u0 = start[end] + uint32_t(chord_count - 1 - j), u1 = u0 - 1;
            const uint32_t l0 = start[end] + uint32_t(chord_count - 1 + j), l1 = l0 + 1;
            add_quad(m, u0, u1, l1, l0);
        }
    }
}

std::vector<WingStation> mirrored(const std::vector<WingStation>& stations)
{
    std::vector<WingStation> out = stations;
    for (WingStation& w : out) w.le.x = -w.le.x;
    return out;
}

std::vector<WingStation> planform(V3 root_le, float root_chord, float semispan, float tip_chord, float sweep,
                                  float dihedral, float thickness, int count, float rounding)
{
    std::vector<WingStation> out;
    const float lift = std::tan(dihedral * 0.0174533f);
    for (int i = 0; i < count; ++i) {
        // Stations bunch towards the tip, where a rounded tip needs them.
        const float f = std::sin(float(i) / float(count - 1) * 1.5707963f);
        float chord = root_chord + (tip_chord - root_chord) * f;
        float le_shift = sweep * f;
        if (rounding > 0.0f) {
            // Elliptic tip: the chord shrinks towards zero at the very tip,
            // more from the trailing edge than from the leading edge.
            const float e = std::sqrt(std::max(0.0f, 1.0f - f * f));
            const float full = chord;
            chord = full * ((1.0f - rounding) + rounding * e);
            le_shift += (full - chord) * 0.35f;
        }
        chord = std::max(chord, 0.15f);
        const float x = root_le.x + semispan * f;
        out.push_back({{x, root_le.y - (x - root_le.x) * lift, root_le.z - le_shift}, chord, thickness});
    }
    return out;
}

void slab(ModelMesh& m, V3 a, V3 b, V3 c, V3 d, V3 normal, float ht, float u, float v)
{
    const V3 o = normal * ht;
    const uint32_t a0 = add_vertex(m, a + o, u, v), b0 = add_vertex(m, b + o, u, v);
    const uint32_t c0 = add_vertex(m, c + o, u, v), d0 = add_vertex(m, d + o, u, v);
    const uint32_t a1 = add_vertex(m, a - o, u, v), b1 = add_vertex(m, b - o, u, v);
    const uint32_t c1 = add_vertex(m, c - o, u, v), d1 = add_vertex(m, d - o, u, v);
    add_quad(m, a0, b0, c0, d0);
    add_quad(m, a1, d1, c1, b1);
    add_quad(m, a0, a1, b1, b0);
    add_quad(m, b0, b1, c1, c0);
    add_quad(m, c0, c1, d1, d0);
    add_quad(m, d0, d1, a1, a0);
}

TopMap fit_top(const std::vector<WingStation>& st, float col0, float row0, float cols, float rows)
{
    float xmax = 0.0f, zmax = -1e9f, zmin = 1e9f;
    for (const WingStation& w : st) {
        xmax = std::max(xmax, std::fabs(w.le.x));
        zmax = std::max(zmax, w.le.z);
        zmin = std::min(zmin, w.le.z - w.chord);
    }
    return {col0 + 1.0f, row0 + 1.0f, (cols - 2.0f) / xmax, (rows - 2.0f) / (zmax - zmin), zmax};
}

SideMap fit_side(const std::vector<std::vector<WingStation>>& fins, float col0, float row0, float cols, float rows)
{
    float ymin = 1e9f, ymax = -1e9f, zmax = -1e9f, zmin = 1e9f;
    for (const auto& st : fins) {
        for (const WingStation& w : st) {
            ymin = std::min(ymin, w.le.y);
            ymax = std::max(ymax, w.le.y);
            zmax = std::max(zmax, w.le.z);
            zmin = std::min(zmin, w.le.z - w.chord);
        }
    }
    return {col0 + 1.0f, row0 + 1.0f, (cols - 2.0f) / (zmax - zmin), (rows - 2.0f) / (ymax - ymin), zmax, ymin};
}

std::vector<WingStation> fin_planform(V3 root_le, float root_chord, float height, float tip_chord, float sweep,
                                      float thickness, int count, float rounding, float cant)
{
    std::vector<WingStation> st =
        planform({0, 0, root_le.z}, root_chord, height, tip_chord, sweep, 0.0f, thickness, count, rounding);
    for (WingStation& w : st) {
        const float h = w.le.x;
        w.le = {root_le.x + h * cant, root_le.y - h, w.le.z};
    }
    return st;
}

UvFn body_uv(const BodyMap& map)
{
    return [map](const V3& p, float s, float, float& u, float& v) {
        u = map.col(p.z) / 256.0f;
        v = map.row(s) / 256.0f;
    };
}

namespace {

Section section_at(const std::vector<Section>& sections, float z)
{
    // Sections may run nose to tail or tail to nose.
    for (size_t i = 0; i + 1 < sections.size(); ++i) {
        const Section& a = sections[i];
        const Section& b = sections[i + 1];
        const float lo = std::min(a.z, b.z), hi = std::max(a.z, b.z);
        if (z >= lo && z <= hi && hi > lo) {
            const float t = (z - a.z) / (b.z - a.z);
            return {z, a.a + (b.a - a.a) * t, a.b + (b.b - a.b) * t, a.n + (b.n - a.n) * t, a.y + (b.y - a.y) * t,
                    a.x + (b.x - a.x) * t};
        }
    }
    const Section& f = sections.front();
    const Section& l = sections.back();
    return std::fabs(z - f.z) < std::fabs(z - l.z) ? f : l;
}

}  // namespace

V3 body_point(const std::vector<Section>& sections, float z, float s)
{
    const Section q = section_at(sections, z);
    const float th = s * 6.2831853f;
    return {q.x + q.a * spow(std::sin(th), 2.0f / q.n), q.y - q.b * spow(std::cos(th), 2.0f / q.n), z};
}

float body_girth(const std::vector<Section>& sections, float z)
{
    const Section q = section_at(sections, z);
    const float a = std::max(q.a, 0.05f), b = std::max(q.b, 0.05f);
    const float h = (a - b) * (a - b) / ((a + b) * (a + b));
    return 3.14159265f * (a + b) * (1.0f + 3.0f * h / (10.0f + std::sqrt(4.0f - 3.0f * h)));
}

UvFn top_uv(const TopMap& map)
{
    return [map](const V3& p, float, float, float& u, float& v) {
        u = map.col(p.x) / 256.0f;
        v = map.row(p.z) / 256.0f;
    };
}

UvFn side_uv(const SideMap& map)
{
    return [map](const V3& p, float, float, float& u, float& v) {
        u = map.col(p.z) / 256.0f;
        v = map.row(p.y) / 256.0f;
    };
}

UvFn flat_uv()
{
    return [](const V3&, float, float, float& u, float& v) {
        u = 0.5f;
        v = 0.5f;
    };
}

}  // namespace datagen
