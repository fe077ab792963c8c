// The six aeroplanes: shapes and liveries.
//
//   Happy        a chubby barrel-bodied air racer, yellow with a sunburst
//                cowling and smiling wing roundels
//   Goliash 215  a heavy twin-engined fighter with twin fins, in green and
//                brown camouflage with black and white stripes
//   Titan Hs     a big twin-tailed jet in grey splinter camouflage
//   Lizard 372   a propeller fighter with elliptic wings and a scaly skin
//   Lizard 486   its nose-intake jet successor with a cruciform tail
//   Needle       a long thin interceptor with stubby wings and tip tanks
//
// Scene axes: +Z nose, +X right wing, +Y down. Lengths 30 to 40 units.
#include <cmath>

#include "aircraft.h"

namespace datagen {

namespace {

// Darkening of a thin line at each of the given positions.
float lines_at(float v, std::initializer_list<float> at, float width)
{
    float k = 0.0f;
    for (float a : at) k = std::max(k, 1.0f - smoothstep(0.0f, width, std::fabs(v - a)));
    return k;
}

// Side distance: signed distance along the surface from the side line
// (s = 0.25 right, 0.75 left), positive upwards, and the side (1 right,
// -1 left).
void side_coords(float s, float girth, float& up, int& side)
{
    side = s < 0.5f ? 1 : -1;
    const float ref = side > 0 ? 0.25f : 0.75f;
    up = (side > 0 ? ref - s : s - ref) * girth;
}

// Lettering on the body side, reading from tail to nose on the right side
// and nose to tail on the left, as a viewer standing at that side sees it.
// z0 is the text's start towards the tail, top its upper edge above the
// side line, cell the size of one font pixel.
int side_text(const std::string& text, float z, float up, int side, float z0, float top, float cell)
{
    const float len = float(text.size()) * 8.0f * cell;
    const float along = side > 0 ? (z - z0) : (z0 + len - z);
    return outlined_text(text, along / cell, (top - up) / cell);
}

Rgb smiley(float dx, float dz, float r, Rgb base)
{
    const float d = std::hypot(dx, dz);
    if (d > r) return base;
    if (d > r * 0.86f) return rgb(0x1A1410);
    Rgb face = rgb(0xFFD23A);
    const float ex = r * 0.33f, ez = r * 0.3f;
    if (std::hypot(std::fabs(dx) - ex, dz - ez) < r * 0.13f) return rgb(0x1A1410);
    const float smile = std::fabs(std::hypot(dx, dz + r * 0.05f) - r * 0.55f);
    if (smile < r * 0.08f && dz < -r * 0.1f) return rgb(0x1A1410);
    return face;
}

ModelMesh flat_mesh(const std::string& name) {
    ModelMesh m;
    m.name = name;
    m.material = "TRIM";
    return m;
}

// --------------------------------------------------------------- Happy

Design happy()
{
    Design d;
    d.name = "Happy";
    d.body = {{15.0f, 2.5f, 2.5f},          {14.2f, 3.3f, 3.3f},          {12.5f, 3.8f, 3.85f},
              {10.0f, 4.0f, 4.1f},          {6.0f, 4.0f, 4.15f},          {2.0f, 3.7f, 3.9f, 2.0f, -0.1f},
              {-2.0f, 3.0f, 3.3f, 2.0f, -0.2f}, {-6.0f, 2.1f, 2.5f, 2.0f, -0.35f}, {-10.0f, 1.3f, 1.7f, 2.0f, -0.5f},
              {-13.0f, 0.7f, 1.0f, 2.0f, -0.6f}, {-15.0f, 0.1f, 0.15f, 2.0f, -0.7f}};
    d.body_map = {15.0f, -15.0f};
    d.wing = planform({2.5f, 2.3f, 6.0f}, 7.0f, 12.5f, 4.0f, 0.8f, 6.0f, 0.16f, 7, 0.65f);
    d.wing_map = fit_top(d.wing, 0, 128, 256, 64);
    d.tail = planform({0.6f, -0.4f, -9.8f}, 3.6f, 5.4f, 2.2f, 0.5f, 3.0f, 0.12f, 5, 0.7f);
    d.tail_map = fit_top(d.tail, 0, 192, 128, 64);
    d.fins = {fin_planform({0, -1.0f, -8.8f}, 5.0f, 5.5f, 2.4f, 1.2f, 0.11f, 5, 0.7f)};
    d.fin_map = fit_side(d.fins, 128, 192, 128, 64);
    d.canopy = {{2.2f, 0.05f, 0.05f, 2, -3.7f}, {1.5f, 1.0f, 0.9f, 2, -3.75f}, {0.3f, 1.35f, 1.35f, 2, -3.7f},
                {-1.2f, 1.3f, 1.3f, 2, -3.55f}, {-2.6f, 1.0f, 0.95f, 2, -3.3f}, {-3.8f, 0.5f, 0.5f, 2, -3.0f},
                {-4.3f, 0.05f, 0.05f, 2, -2.9f}};
    d.extras.push_back(spinner_mesh("Spinner", {0, 0, 14.6f}, 2.3f, 2.6f));
    ModelMesh prop = flat_mesh("Prop");
    add_propeller(prop, {0, 0, 15.3f}, 2, 5.6f, 0.35f);
    d.extras.push_back(prop);
    // Spatted undercarriage: struts and teardrop spats.
    ModelMesh gear = flat_mesh("Gear");
    for (int side = -1; side <= 1; side += 2) {
        const float x = 4.6f * float(side);
        slab(gear, {x, 2.8f, 5.0f}, {x, 2.8f, 2.2f}, {x, 5.2f, 3.0f}, {x, 5.2f, 4.6f}, {1, 0, 0}, 0.18f, 0.5f, 0.5f);
        std::vector<Section> spat;
        const float zs[] = {6.2f, 5.6f, 4.6f, 3.2f, 1.8f, 0.8f};
        const float rs[] = {0.05f, 0.7f, 0.95f, 0.9f, 0.55f, 0.05f};
        for (int k = 0; k < 6; ++k) spat.push_back({zs[k], rs[k] * 0.8f, rs[k], 2.0f, 5.6f, x});
        add_body(gear, spat, 8);
    }
    d.extras.push_back(gear);

    const Rgb yellow = rgb(0xF2C230), cream = rgb(0xF6E2A0), red = rgb(0xD2302A), ink = rgb(0x1A1410);
    d.paint_body = [=](V3 p, float s, float girth) {
        float up;
        int side;
        side_coords(s, girth, up, side);
        Rgb col = mix(yellow, cream, smoothstep(0.3f, 0.45f, 0.5f - std::fabs(s - 0.5f) + 0.1f) *
                                         (std::fabs(s - 0.5f) < 0.16f ? 1.0f : 0.0f));
        // Sunburst cowling.
        if (p.z > 10.6f) {
            const float ray = std::sin(s * 6.2831853f * 8.0f);
            col = (p.z > 12.2f && ray > 0.2f) ? yellow : red;
            if (p.z < 11.0f) col = ink;
        }
        // Scallop along both sides, with a black pinstripe.
        const float width = 1.3f * smoothstep(-13.0f, 8.0f, p.z) * (1.0f - smoothstep(8.0f, 10.6f, p.z)) +
                            0.6f * smoothstep(8.0f, 10.6f, p.z) * (p.z < 10.6f ? 1.0f : 0.0f);
        const float sc = std::fabs(up + 0.2f) - width;
        if (p.z < 10.6f && sc < 0.0f) col = red;
        else if (p.z < 10.6f && sc < 0.18f && width > 0.05f) col = ink;
        // Race number in a white disc, and the name.
        const float dn = std::hypot(p.z + 4.0f, up - 0.1f);
        if (dn < 2.0f) col = dn > 1.82f ? ink : rgb(0xF4EEDC);
        const int num = side_text("1", p.z, up, side, -5.6f, 1.45f, 0.34f);
        if (dn < 1.82f && num == 2) col = ink;
        const int name = side_text("HAPPY", p.z, up, side, 1.0f, 2.55f, 0.2f);
        if (name == 2) col = ink;
        else if (name == 1 && p.z < 10.6f) col = cream;
        col = col * (1.0f - 0.45f * lines_at(p.z, {6.0f, -1.0f, -7.5f}, 0.08f));
        return col * body_light(s);
    };
    d.paint_wing = [=](V3 p) {
        Rgb col = yellow;
        const float tip = 12.6f + 0.5f * std::sin(p.z * 2.2f);
        if (p.x > tip) col = red;
        if (std::fabs(p.x - tip) < 0.15f) col = ink;
        col = smiley(p.x - 8.5f, p.z - 2.4f, 2.1f, col);
        col = col * (1.0f - 0.3f * lines_at(p.z, {-0.2f}, 0.07f) * (p.x > 5.0f ? 1.0f : 0.0f));
        return col * (0.93f + 0.1f * smoothstep(6.5f, 3.0f, p.z));
    };
    d.paint_tail = [=](V3 p) {
        Rgb col = p.x > 4.6f ? red : yellow;
        return col * (1.0f - 0.35f * lines_at(p.z, {-12.2f}, 0.06f));
    };
    d.paint_fin = [=](V3 p) {
        Rgb col = yellow;
        if (p.z < -11.0f) col = (int(std::floor((p.y + 8.0f) * 1.4f)) % 2 == 0) ? red : yellow;
        if (p.y < -5.6f) col = red;
        return col * (1.0f - 0.35f * lines_at(p.z, {-11.0f}, 0.07f));
    };
    return d;
}

// ---------------------------------------------------------- Goliash 215

Design goliash()
{
    Design d;
    d.name = "Goliash 215";
    d.body = {{19.0f, 0.05f, 0.05f, 2, 0.3f},  {18.2f, 1.1f, 1.2f, 2, 0.25f}, {16.0f, 2.0f, 2.3f, 2, 0.1f},
              {12.0f, 2.5f, 2.9f},             {6.0f, 2.6f, 3.0f},           {0.0f, 2.5f, 2.9f, 2.2f},
              {-6.0f, 2.0f, 2.4f, 2.2f, -0.2f}, {-12.0f, 1.3f, 1.6f, 2, -0.4f}, {-16.5f, 0.8f, 1.0f, 2, -0.5f},
              {-19.0f, 0.1f, 0.15f, 2, -0.55f}};
    d.body_map = {19.0f, -19.0f, 2.0f, 92.0f};
    d.wing = planform({2.3f, 0.9f, 5.5f}, 7.8f, 17.0f, 3.2f, 1.6f, 5.0f, 0.14f, 7, 0.35f);
    d.wing_map = fit_top(d.wing, 0, 128, 256, 64);
    d.tail = planform({0.8f, -0.6f, -13.4f}, 4.4f, 7.2f, 3.4f, 0.6f, 0.0f, 0.1f, 3, 0.0f);
    d.tail_map = fit_top(d.tail, 0, 192, 128, 64);
    for (int side = -1; side <= 1; side += 2) {
        d.fins.push_back(fin_planform({8.0f * float(side), 1.6f, -13.0f}, 4.2f, 6.2f, 3.0f, 0.9f, 0.1f, 5, 0.75f));
    }
    d.fin_map = fit_side(d.fins, 128, 192, 128, 64);
    d.canopy = {{13.5f, 0.05f, 0.05f, 2, -2.4f}, {12.5f, 1.2f, 1.0f, 2, -2.55f}, {10.5f, 1.55f, 1.45f, 2.4f, -2.7f},
                {7.0f, 1.6f, 1.5f, 2.4f, -2.75f}, {3.5f, 1.55f, 1.35f, 2.4f, -2.7f}, {2.0f, 1.1f, 0.9f, 2, -2.6f},
                {1.2f, 0.05f, 0.05f, 2, -2.5f}};
    // Engine nacelles, textured from their own band of the atlas.
    ModelMesh nacelles;
    nacelles.name = "TEngines";
    const BodyMap nm{11.2f, -4.0f, 98.0f, 28.0f};
    for (int side = -1; side <= 1; side += 2) {
        const float x = 6.6f * float(side);
        loft(nacelles,
             {{11.2f, 1.25f, 1.25f, 2, 1.0f, x}, {10.2f, 1.6f, 1.7f, 2, 1.0f, x}, {7.0f, 1.7f, 1.9f, 2, 1.05f, x},
              {3.0f, 1.45f, 1.7f, 2, 1.15f, x}, {-1.0f, 0.9f, 1.1f, 2, 1.2f, x}, {-4.0f, 0.1f, 0.15f, 2, 1.1f, x}},
             12, body_uv(nm));
    }
    d.textured_extras.push_back(nacelles);
    ModelMesh spinners = flat_mesh("Spinners");
    ModelMesh props = flat_mesh("Props");
    for (int side = -1; side <= 1; side += 2) {
        const float x = 6.6f * float(side);
        const ModelMesh sp = spinner_mesh("x", {x, 1.0f, 11.1f}, 1.1f, 1.9f);
        const uint32_t base = uint32_t(spinners.vertices.size());
        spinners.vertices.insert(spinners.vertices.end(), sp.vertices.begin(), sp.vertices.end());
        for (uint32_t f : sp.faces) spinners.faces.push_back(base + f);
        add_propeller(props, {x, 1.0f, 11.7f}, 3, 4.6f, side > 0 ? 0.3f : 0.9f);
    }
    d.extras.push_back(spinners);
    d.extras.push_back(props);

    const Rgb green = rgb(0x4A5A32), earth = rgb(0x7A6040), sky = rgb(0xB8C0B0), black = rgb(0x141414),
              white = rgb(0xE8E8E0), yellow = rgb(0xE8C040);
    auto camo = [=](V3 p) { return organic_camo(p, 0.16f, 215, 0.5f) > 0.5f ? earth : green; };
    auto roundel = [=](float dist, Rgb base) {
        switch (ring_index(dist, {0.55f, 1.15f, 1.7f, 1.95f})) {
        case 0: return rgb(0xB02828);
        case 1: return white;
        case 2: return rgb(0x2A3A80);
        case 3: return yellow;
        default: return base;
        }
    };
    d.paint_body = [=](V3 p, float s, float girth) {
        float up;
        int side;
        side_coords(s, girth, up, side);
        const float edge = 0.33f + 0.02f * std::sin(p.z * 1.7f);
        Rgb col = std::fabs(s - 0.5f) < 0.5f - edge ? sky : camo(p);
        // Black and white bands round the rear fuselage.
        if (p.z < -6.0f && p.z > -11.0f) col = int(std::floor((p.z + 11.0f) / 1.0f)) % 2 == 0 ? black : white;
        // Yellow nose cone.
        if (p.z > 16.5f) col = yellow;
        col = roundel(std::hypot(p.z + 2.5f, up), col);
        // Number on the nose.
        const int num = side_text("215", p.z, up, side, 10.0f, 1.0f, 0.24f);
        if (num == 2) col = white;
        else if (num == 1) col = black;
        col = col * (1.0f - 0.4f * lines_at(p.z, {14.0f, 8.0f, 1.0f, -6.0f, -11.0f, -15.0f}, 0.06f));
        return col * body_light(s);
    };
    d.paint_wing = [=](V3 p) {
        Rgb col = camo(p);
        col = roundel(std::hypot(p.x - 13.0f, p.z - 2.6f), col);
        if (p.x > 9.0f && p.x < 11.0f) col = int(std::floor((p.x - 9.0f) * 2.5f)) % 2 == 0 ? black : white;
        col = col * (1.0f - 0.35f * lines_at(p.z, {0.2f}, 0.06f));
        col = col * (1.0f - 0.3f * lines_at(p.x, {4.5f, 8.7f, 15.0f}, 0.06f));
        return col;
    };
    d.paint_tail = [=](V3 p) { return camo(p) * (1.0f - 0.35f * lines_at(p.z, {-16.2f}, 0.06f)); };
    d.paint_fin = [=](V3 p) {
        Rgb col = camo({8.0f, p.y, p.z});
        // Red, white and blue fin flash.
        if (p.z > -14.4f && p.z < -12.6f && p.y > -3.6f && p.y < 0.6f) {
            col = p.z > -13.2f ? rgb(0xB02828) : (p.z > -13.8f ? white : rgb(0x2A3A80));
        }
        return col * (1.0f - 0.35f * lines_at(p.z, {-15.2f}, 0.06f));
    };
    d.paint_more = [=](Canvas& c) {
        paint_region(c, 0, 96, 256, 128, [&](float col, float row) {
            const float z = nm.z_at(col), s = clamp01(nm.s_at(row));
            const float th = s * 6.2831853f;
            const V3 p{6.6f + 1.6f * std::sin(th), 1.0f - 1.7f * std::cos(th), z};
            Rgb base = std::fabs(s - 0.5f) < 0.16f ? sky : camo(p);
            if (z > 9.8f) base = yellow;
            if (z < 7.5f && z > 2.0f && std::fabs(s - 0.32f) < 0.05f) base = mix(base, black, 0.6f);  // exhaust
            base = base * (1.0f - 0.4f * lines_at(z, {9.8f, 5.0f}, 0.07f));
            return base * body_light(s);
        });
    };
    return d;
}

// ------------------------------------------------------------- Titan Hs

Design titan()
{
    Design d;
    d.name = "Titan Hs";
    d.body = {{18.0f, 0.05f, 0.05f, 2, 0.2f},       {16.5f, 0.8f, 0.8f, 2, 0.15f},   {13.5f, 1.5f, 1.55f, 2.2f},
              {9.5f, 1.9f, 1.9f, 2.6f, -0.1f},      {6.0f, 3.3f, 1.9f, 3.6f, 0.1f},  {0.0f, 3.6f, 1.95f, 3.8f, 0.1f},
              {-7.0f, 3.5f, 1.8f, 3.8f, 0.1f},      {-14.0f, 3.1f, 1.6f, 3.5f, 0.1f}, {-17.0f, 2.8f, 1.4f, 3.2f, 0.1f}};
    d.body_map = {18.0f, -17.0f};
    d.wing = planform({3.2f, 0.2f, 3.0f}, 12.0f, 14.0f, 3.0f, 8.6f, -2.5f, 0.06f, 5, 0.0f);
    d.wing_map = fit_top(d.wing, 0, 128, 256, 64);
    d.tail = planform({3.0f, 0.5f, -11.6f}, 5.4f, 6.2f, 2.2f, 3.4f, 0.0f, 0.05f, 4, 0.0f);
    d.tail_map = fit_top(d.tail, 0, 192, 128, 64);
    for (int side = -1; side <= 1; side += 2) {
        d.fins.push_back(
            fin_planform({2.3f * float(side), -1.5f, -8.8f}, 6.2f, 6.6f, 2.4f, 4.4f, 0.05f, 4, 0.0f, 0.3f * float(side)));
    }
    d.fin_map = fit_side(d.fins, 128, 192, 128, 64);
    d.canopy = {{13.0f, 0.05f, 0.05f, 2, -1.6f}, {12.0f, 0.8f, 0.7f, 2, -1.75f}, {10.2f, 1.15f, 1.15f, 2, -1.9f},
                {8.0f, 1.15f, 1.15f, 2, -1.95f}, {6.0f, 0.9f, 0.85f, 2, -1.95f}, {4.5f, 0.05f, 0.05f, 2, -1.9f}};
    ModelMesh intakes = flat_mesh("Intakes");
    ModelMesh nozzles = flat_mesh("Nozzles");
    for (int side = -1; side <= 1; side += 2) {
        const float x = 3.0f * float(side);
        slab(intakes, {x, -0.9f, 8.4f}, {x, 1.7f, 8.4f}, {x, 1.7f, 5.0f}, {x, -0.9f, 5.0f}, {1, 0, 0}, 0.55f, 0.5f, 0.5f);
        add_body(nozzles, {{-16.6f, 1.25f, 1.25f, 2, 0.2f, 1.3f * float(side)},
                           {-18.2f, 1.15f, 1.15f, 2, 0.2f, 1.3f * float(side)},
                           {-19.4f, 0.95f, 0.95f, 2, 0.2f, 1.3f * float(side)}},
                 10);
    }
    d.extras.push_back(intakes);
    d.extras.push_back(nozzles);

    const Rgb g1 = rgb(0x5E6A78), g2 = rgb(0x8A96A4), g3 = rgb(0x707C8A), g4 = rgb(0x4A5562), belly = rgb(0xB8C0C8),
              dark = rgb(0x1C2024), orange = rgb(0xE8782A);
    auto camo = [=](V3 p) {
        const Rgb pal[4] = {g1, g2, g3, g4};
        return pal[splinter_camo(p, 0.5f, 77)];
    };
    d.paint_body = [=](V3 p, float s, float girth) {
        float up;
        int side;
        side_coords(s, girth, up, side);
        Rgb col = std::fabs(s - 0.5f) < 0.12f ? belly : camo(p);
        if (p.z > 15.0f) col = dark;  // radome
        if (p.z > 9.0f && p.z < 15.0f && (s < 0.06f || s > 0.94f)) col = dark;  // anti-glare
        const int num = side_text("07", p.z, up, side, 9.0f, 0.9f, 0.22f);
        if (num == 2) col = dark;
        // Orange chevron on the flanks behind the cockpit.
        const float ch = std::fabs(up) * 0.8f + (p.z - 0.0f);
        if (std::fabs(ch) < 0.45f && std::fabs(up) < 1.2f) col = orange;
        col = col * (1.0f - 0.35f * lines_at(p.z, {15.0f, 9.0f, 4.0f, -3.0f, -10.0f}, 0.05f));
        return col * body_light(s);
    };
    d.paint_wing = [=](V3 p) {
        Rgb col = camo(p);
        if (std::fabs(std::hypot(p.x - 10.5f, p.z + 4.0f) - 1.3f) < 0.35f) col = dark;
        if (std::hypot(p.x - 10.5f, p.z + 4.0f) < 0.55f) col = orange;
        col = col * (1.0f - 0.35f * lines_at(p.x, {6.0f, 11.0f}, 0.05f));
        return col;
    };
    d.paint_tail = [=](V3 p) { return camo(p); };
    d.paint_fin = [=](V3 p) {
        Rgb col = camo({2.3f, p.y, p.z});
        // Orange and black bands near the top.
        const float band = p.y + 7.2f;
        if (band > 0.0f && band < 1.3f) col = (band < 0.65f) ? orange : dark;
        // A lightning bolt.
        const float zz = p.z + 11.5f, yy = p.y + 4.0f;
        if (std::fabs(zz - 0.45f * yy) < 0.28f && std::fabs(yy) < 1.4f) col = orange;
        return col;
    };
    return d;
}

// ----------------------------------------------------------- Lizard 372

Design lizard372()
{
    Design d;
    d.name = "Lizard 372";
    d.body = {{15.3f, 1.6f, 1.7f, 2, 0.2f},    {13.0f, 2.0f, 2.2f, 2, 0.1f},    {9.0f, 2.1f, 2.5f},
              {4.0f, 1.9f, 2.6f},              {-2.0f, 1.6f, 2.2f, 2, -0.1f},   {-8.0f, 1.1f, 1.6f, 2, -0.25f},
              {-13.0f, 0.6f, 1.1f, 2, -0.45f}, {-15.6f, 0.12f, 0.25f, 2, -0.55f}};
    d.body_map = {15.5f, -15.6f};
    d.wing = planform({1.6f, 1.3f, 6.0f}, 7.0f, 14.2f, 5.6f, 0.4f, 6.0f, 0.12f, 8, 1.0f);
    d.wing_map = fit_top(d.wing, 0, 128, 256, 64);
    d.tail = planform({0.3f, -0.35f, -11.2f}, 3.6f, 5.4f, 3.2f, 0.0f, 0.0f, 0.1f, 5, 1.0f);
    d.tail_map = fit_top(d.tail, 0, 192, 128, 64);
    d.fins = {fin_planform({0, -0.9f, -10.6f}, 4.6f, 4.6f, 3.8f, 0.2f, 0.1f, 5, 1.0f)};
    d.fin_map = fit_side(d.fins, 128, 192, 128, 64);
    d.canopy = {{2.4f, 0.05f, 0.05f, 2, -2.3f}, {1.6f, 0.75f, 0.7f, 2, -2.4f}, {0.0f, 1.0f, 1.05f, 2, -2.5f},
                {-2.0f, 0.95f, 1.0f, 2, -2.35f}, {-3.6f, 0.6f, 0.6f, 2, -2.1f}, {-4.4f, 0.05f, 0.05f, 2, -1.95f}};
    d.extras.push_back(spinner_mesh("Spinner", {0, 0.2f, 15.2f}, 1.45f, 2.4f));
    ModelMesh prop = flat_mesh("Prop");
    add_propeller(prop, {0, 0.2f, 15.8f}, 3, 5.0f, 0.5f);
    d.extras.push_back(prop);
    ModelMesh scoop = flat_mesh("Radiator");
    add_body(scoop, {{1.5f, 0.1f, 0.1f, 3, 3.0f}, {0.8f, 0.9f, 0.55f, 3, 3.0f}, {-2.2f, 0.85f, 0.5f, 3, 2.9f},
                     {-3.2f, 0.1f, 0.1f, 3, 2.7f}},
             8);
    d.extras.push_back(scoop);

    const Rgb l1 = rgb(0x3E6A2A), l2 = rgb(0x6A8A3A), l3 = rgb(0x5A4A28), belly = rgb(0xD8C878),
              ink = rgb(0x141810), white = rgb(0xF0EEE0), yellow = rgb(0xF0C020);
    auto skin = [=](V3 p, float a, float b) {
        const float m = fbm(p.z * 0.22f + p.x * 0.1f, p.y * 0.22f - p.x * 0.15f, 3, 256, 372);
        Rgb col = m < 0.42f ? l3 : (m < 0.58f ? l1 : l2);
        const float sc = scale_pattern(a, b, 0.55f);
        return col * (1.05f - 0.35f * sc * sc);
    };
    d.paint_body = [=](V3 p, float s, float girth) {
        float up;
        int side;
        side_coords(s, girth, up, side);
        const float a = p.z, b = s * girth;
        Rgb col = skin(p, a, b);
        if (std::fabs(s - 0.5f) < 0.14f + 0.015f * std::sin(p.z * 3.0f)) {
            col = belly * (1.0f - 0.25f * scale_pattern(a, b, 0.45f));
        }
        if (p.z > 13.5f) col = yellow;
        // A lizard's eye on the cowling.
        const float ez = p.z - 11.2f, eu = up - 0.9f;
        const float de = std::hypot(ez * 0.8f, eu);
        if (de < 0.85f) col = de > 0.72f ? ink : (std::fabs(ez) < 0.12f && std::fabs(eu) < 0.6f ? ink : yellow);
        const int num = side_text("372", p.z, up, side, -9.8f, 0.9f, 0.22f);
        if (num == 2) col = white;
        else if (num == 1) col = ink;
        col = col * (1.0f - 0.4f * lines_at(p.z, {13.5f, 7.0f, -4.5f}, 0.05f));
        return col * body_light(s);
    };
    d.paint_wing = [=](V3 p) {
        Rgb col = skin(p, p.x, p.z);
        if (p.x > 13.8f) col = yellow;
        const float r = std::hypot(p.x - 10.0f, p.z - 3.0f);
        switch (ring_index(r, {0.6f, 1.3f, 1.55f})) {
        case 0: col = ink; break;
        case 1: col = yellow; break;
        case 2: col = ink; break;
        default: break;
        }
        return col * (1.0f - 0.3f * lines_at(p.z, {0.6f}, 0.05f) * (p.x > 9.0f ? 1.0f : 0.0f));
    };
    d.paint_tail = [=](V3 p) { return skin(p, p.x, p.z); };
    d.paint_fin = [=](V3 p) {
        Rgb col = skin(p, p.z, p.y);
        if (p.y < -4.3f) col = yellow;
        if (p.y > -3.2f && p.y < -2.4f) col = white;
        return col * (1.0f - 0.35f * lines_at(p.z, {-13.0f}, 0.06f));
    };
    return d;
}

// ----------------------------------------------------------- Lizard 486

Design lizard486()
{
    Design d;
    d.name = "Lizard 486";
    d.body = {{17.0f, 1.45f, 1.55f}, {16.0f, 1.85f, 1.95f}, {12.0f, 2.1f, 2.3f}, {5.0f, 2.25f, 2.45f},
              {-2.0f, 2.1f, 2.2f},   {-9.0f, 1.6f, 1.7f},   {-14.0f, 1.25f, 1.3f}, {-16.0f, 1.1f, 1.1f}};
    d.body_map = {17.0f, -16.0f};
    d.wing = planform({1.9f, 0.3f, 4.8f}, 7.2f, 14.0f, 3.2f, 6.8f, -3.0f, 0.09f, 5, 0.0f);
    d.wing_map = fit_top(d.wing, 0, 128, 256, 64);
    d.fins = {fin_planform({0, -1.3f, -8.2f}, 6.2f, 6.4f, 3.0f, 4.6f, 0.08f, 4, 0.0f)};
    d.fin_map = fit_side(d.fins, 128, 192, 128, 64);
    d.tail = planform({0.25f, -4.6f, -12.4f}, 3.4f, 5.6f, 1.8f, 2.6f, 0.0f, 0.07f, 4, 0.0f);
    d.tail_map = fit_top(d.tail, 0, 192, 128, 64);
    d.canopy = {{11.0f, 0.05f, 0.05f, 2, -2.0f}, {10.0f, 0.75f, 0.65f, 2, -2.15f}, {8.6f, 1.0f, 1.05f, 2, -2.3f},
                {6.8f, 0.95f, 0.95f, 2, -2.3f},  {5.4f, 0.6f, 0.55f, 2, -2.25f}, {4.6f, 0.05f, 0.05f, 2, -2.2f}};
    ModelMesh intake = flat_mesh("Intake");
    add_body(intake, {{17.6f, 1.3f, 1.4f}, {17.5f, 1.6f, 1.7f}, {16.9f, 1.75f, 1.85f}, {16.6f, 1.55f, 1.65f}}, 14);
    d.extras.push_back(intake);
    ModelMesh nozzle = flat_mesh("Nozzle");
    add_body(nozzle, {{-15.8f, 1.2f, 1.2f}, {-16.8f, 1.05f, 1.05f}, {-17.2f, 0.8f, 0.8f}}, 12);
    d.extras.push_back(nozzle);

    const Rgb g1 = rgb(0x2E7A3A), g2 = rgb(0x52A04A), belly = rgb(0xC8D890), ink = rgb(0x10160E),
              yellow = rgb(0xF2D22A), white = rgb(0xF0F0E4);
    auto skin = [=](V3 p, float a, float b) {
        const float m = fbm(p.z * 0.18f + p.x * 0.1f, p.y * 0.18f - p.x * 0.13f, 3, 256, 486);
        Rgb col = mix(g1, g2, smoothstep(0.4f, 0.6f, m));
        return col * (1.05f - 0.3f * std::pow(scale_pattern(a, b, 0.6f), 2.0f));
    };
    d.paint_body = [=](V3 p, float s, float girth) {
        float up;
        int side;
        side_coords(s, girth, up, side);
        Rgb col = skin(p, p.z, s * girth);
        if (std::fabs(s - 0.5f) < 0.17f) col = belly;
        // Intake interior, dark.
        if (p.z > 16.8f) col = ink;
        // Yellow flash with a zig-zag edge along the sides.
        const float zig = 0.35f * std::fabs(std::fmod(p.z * 1.2f + 100.0f, 2.0f) - 1.0f);
        if (up < -0.3f + zig && up > -0.9f + zig && p.z < 14.0f && p.z > -12.0f) col = yellow;
        const int num = side_text("486", p.z, up, side, 9.0f, 1.3f, 0.24f);
        if (num == 2) col = white;
        else if (num == 1) col = ink;
        col = col * (1.0f - 0.35f * lines_at(p.z, {15.5f, 10.5f, 3.0f, -5.0f, -12.0f}, 0.05f));
        return col * body_light(s);
    };
    d.paint_wing = [=](V3 p) {
        Rgb col = skin(p, p.x, p.z);
        // Wing fence line and a yellow tip.
        if (p.x > 14.6f) col = yellow;
        col = col * (1.0f - 0.4f * lines_at(p.x, {8.0f}, 0.07f));
        const float r = std::hypot(p.x - 11.0f, p.z + 1.6f);
        if (r < 1.3f) col = r < 0.5f ? ink : (r < 1.0f ? yellow : ink);
        return col;
    };
    d.paint_tail = [=](V3 p) { return skin(p, p.x, p.z); };
    d.paint_fin = [=](V3 p) {
        Rgb col = skin(p, p.z, p.y);
        // Black and yellow checks on the top.
        if (p.y < -5.4f) {
            const int k = int(std::floor(p.z * 1.6f)) + int(std::floor(p.y * 1.6f));
            col = (k & 1) ? yellow : ink;
        }
        return col;
    };
    return d;
}

// --------------------------------------------------------------- Needle

Design needle()
{
    Design d;
    d.name = "Needle";
    d.scale = 0.92f;
    d.body = {{20.0f, 0.05f, 0.05f},  {18.0f, 0.5f, 0.5f},  {14.0f, 1.1f, 1.1f},    {9.0f, 1.5f, 1.6f},
              {3.0f, 1.8f, 1.9f, 2.2f}, {-6.0f, 1.8f, 1.9f, 2.2f}, {-14.0f, 1.6f, 1.6f}, {-18.5f, 1.3f, 1.3f}};
    d.body_map = {20.0f, -18.5f};
    d.wing = planform({1.6f, 0.3f, -1.0f}, 6.0f, 7.4f, 2.6f, 2.6f, -8.0f, 0.045f, 3, 0.0f);
    d.wing_map = fit_top(d.wing, 0, 128, 256, 64);
    d.fins = {fin_planform({0, -1.5f, -10.5f}, 6.6f, 5.8f, 3.4f, 4.4f, 0.05f, 3, 0.0f)};
    d.fin_map = fit_side(d.fins, 128, 192, 128, 64);
    d.tail = planform({0.1f, -7.3f, -15.0f}, 3.2f, 4.6f, 1.6f, 1.5f, -8.0f, 0.05f, 3, 0.0f);
    d.tail_map = fit_top(d.tail, 0, 192, 128, 64);
    d.canopy = {{12.0f, 0.05f, 0.05f, 2, -1.4f}, {11.0f, 0.7f, 0.6f, 2, -1.55f}, {9.5f, 0.95f, 0.95f, 2, -1.65f},
                {7.5f, 0.9f, 0.9f, 2, -1.7f},    {6.0f, 0.6f, 0.6f, 2, -1.75f},   {5.0f, 0.05f, 0.05f, 2, -1.8f}};
    ModelMesh tanks = flat_mesh("Fueltanks");
    for (int side = -1; side <= 1; side += 2) {
        const float x = 9.1f * float(side), y = 0.3f + 7.4f * std::tan(8.0f * 0.0174533f);
        add_body(tanks, {{3.2f, 0.05f, 0.05f, 2, y, x}, {2.0f, 0.5f, 0.5f, 2, y, x}, {-1.0f, 0.7f, 0.7f, 2, y, x},
                         {-4.5f, 0.6f, 0.6f, 2, y, x}, {-6.8f, 0.05f, 0.05f, 2, y, x}},
                 10);
    }
    d.extras.push_back(tanks);
    ModelMesh nozzle = flat_mesh("Nozzle");
    add_body(nozzle, {{-18.3f, 1.35f, 1.35f}, {-19.6f, 1.15f, 1.15f}, {-20.0f, 0.9f, 0.9f}}, 12);
    d.extras.push_back(nozzle);
    ModelMesh pitot = flat_mesh("Pitot");
    slab(pitot, {-0.08f, 0.0f, 19.6f}, {0.08f, 0.0f, 19.6f}, {0.08f, 0.0f, 22.5f}, {-0.08f, 0.0f, 22.5f}, {0, 1, 0},
         0.08f, 0.5f, 0.5f);
    d.extras.push_back(pitot);

    const Rgb silver = rgb(0xB8BEC6), bright = rgb(0xE4E8EE), dark = rgb(0x23262C), red = rgb(0xC8201E);
    auto metal = [=](V3 p) {
        const float streak = fbm(p.z * 0.05f + 3.0f, p.y * 1.5f + p.x * 1.5f, 3, 256, 104);
        return mix(silver, bright, streak * 0.7f);
    };
    d.paint_body = [=](V3 p, float s, float girth) {
        float up;
        int side;
        side_coords(s, girth, up, side);
        Rgb col = metal(p);
        // Anti-glare panel ahead of the cockpit, black radome tip.
        if (p.z > 10.5f && p.z < 17.0f && (s < 0.07f || s > 0.93f)) col = dark;
        if (p.z > 17.0f) col = dark;
        // Red lightning stripe along both flanks.
        const float zig = 0.5f * (std::fabs(std::fmod(p.z * 0.45f + 100.0f, 2.0f) - 1.0f) - 0.5f);
        if (std::fabs(up - zig) < 0.3f && p.z < 16.0f && p.z > -15.0f) col = red;
        const int num = side_text("04", p.z, up, side, -12.0f, 2.4f, 0.2f);
        if (num == 2) col = dark;
        // Heat-stained tail.
        if (p.z < -13.0f) col = mix(col, rgb(0x5A4A40), smoothstep(-13.0f, -18.5f, p.z) * 0.7f);
        col = col * (1.0f - 0.35f * lines_at(p.z, {17.0f, 12.0f, 4.0f, -3.0f, -9.0f, -13.0f}, 0.05f));
        return col * body_light(s);
    };
    d.paint_wing = [=](V3 p) {
        Rgb col = metal(p);
        if (p.x > 7.8f) col = red;
        col = col * (1.0f - 0.35f * lines_at(p.x, {4.8f}, 0.05f));
        return col;
    };
    d.paint_tail = [=](V3 p) { return p.x > 3.8f ? red : metal(p); };
    d.paint_fin = [=](V3 p) {
        Rgb col = dark;
        // A five-pointed star on the fin.
        const float dz = p.z + 13.4f, dy = p.y + 4.2f;
        const float r = std::hypot(dz, dy), a = std::atan2(dy, dz) + 1.5707963f;
        const float star = 0.55f + 0.5f * std::pow(std::fabs(std::cos(2.5f * a)), 6.0f);
        if (r < star * 1.5f) col = bright;
        if (p.y > -2.2f) col = metal(p);
        return col;
    };
    return d;
}

}  // namespace

std::vector<Design> aeroplane_designs()
{
    return {happy(), goliash(), titan(), lizard372(), lizard486(), needle()};
}

}  // namespace datagen
