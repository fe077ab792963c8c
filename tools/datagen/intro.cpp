// The shot ("Data/Fire.3ds", "Data/Fire.tex") and the intro model
// ("Models/intro.3ds", "Models/intro.tex").
//
// The intro draws the first mesh of its model, spinning it about the
// model's own Z axis (turned to the screen's horizontal axis), 0.09 radians
// a frame, seen from a camera 65 units below and 10 behind the axis looking
// up at 18 degrees, with texture coordinates scaled by 1100 texels. Nothing
// near the axis is in view: the mesh is a display team of three formations
// of three jets looping round the axis at radii of 52 to 57.5 units, each
// jet trailing red, gold or blue smoke, so that every few frames a formation
// swoops down out of the distance, over the viewer and away, and the
// uncleared frame keeps their smoky trails.
//
// The intro texture is also tiled over the screen for the first frames, so
// it is a calm, cyclic band of colours (navy, blue, sky, silver, gold, red,
// crimson, dusk) with a brushed grain; each part of the model takes its
// colour from one band.
#include <cmath>

#include "geometry.h"

namespace datagen {

namespace {

// ------------------------------------------------------------- the shot

Model shot_model()
{
    Model model;
    model.materials.push_back({"BOLT", 0xFFE080, "Fire.tex", true});
    ModelMesh m;
    m.name = "TShot";
    m.material = "BOLT";
    // A glowing bolt six units long, nose along +Z, with four thin fins of
    // light around it so that it reads as a star from behind.
    // Every shot in flight is drawn in both views each frame, so the bolt
    // is kept to a few dozen faces.
    const std::vector<Section> core = {{3.2f, 0.02f, 0.02f}, {1.4f, 0.75f, 0.75f},
                                       {-1.0f, 0.65f, 0.65f}, {-2.8f, 0.02f, 0.02f}};
    loft(m, core, 6, [](const V3& p, float s, float, float& u, float& v) {
        u = (8.0f + s * 112.0f) / 256.0f;
        v = (8.0f + (3.2f - p.z) / 6.0f * 112.0f) / 256.0f;
    });
    for (int k = 0; k < 4; ++k) {
        const float a = float(k) * 1.5707963f + 0.785398f;
        const V3 out{std::cos(a), std::sin(a), 0.0f};
        const V3 tip{0, 0, 2.6f}, tail{0, 0, -2.8f}, wide = out * 1.8f + V3{0, 0, -0.4f};
        const uint32_t t0 = add_vertex(m, tip, 136.0f / 256.0f, 140.0f / 256.0f);
        const uint32_t t1 = add_vertex(m, wide, 248.0f / 256.0f, 190.0f / 256.0f);
        const uint32_t t2 = add_vertex(m, tail, 136.0f / 256.0f, 248.0f / 256.0f);
        const uint32_t t3 = add_vertex(m, out * 0.15f + V3{0, 0, -0.3f}, 136.0f / 256.0f, 190.0f / 256.0f);
        add_tri(m, t0, t1, t3);
        add_tri(m, t3, t1, t2);
    }
    model.meshes.push_back(m);
    return model;
}

std::vector<uint32_t> shot_texture()
{
    Canvas c(256, 256, rgb(0xFF8020));
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            if (x < 128) {
                // Core: white-hot at the nose, yellow, then orange to the tail,
                // with bright streaks along the length.
                const float t = clamp01((float(y) - 8.0f) / 112.0f);
                Rgb col = ramp({{0.0f, 0xFFFFF4}, {0.3f, 0xFFF8C0}, {0.65f, 0xFFD860}, {1.0f, 0xFF9A30}}, t);
                const float streak = value_noise(float(x) * 0.25f, float(y) * 0.02f, 64, 3);
                c.at(x, y) = mix(col, rgb(0xFFFFF0), 0.35f * streak);
            } else {
                // Fins: hot near the core, orange-red towards the edge.
                const float e = clamp01((float(x) - 136.0f) / 112.0f);
                c.at(x, y) = ramp({{0.0f, 0xFFFAD8}, {0.55f, 0xFFD050}, {1.0f, 0xFF8A24}}, e);
            }
        }
    }
    return c.packed();
}

// ------------------------------------------------------------ the intro

constexpr float tile = 1100.0f;  // texels per unit of u and v in the intro

// Band rows of the intro texture.
struct Band {
    float r0, r1;
};
constexpr Band blue{36, 58}, silver{98, 124}, gold{132, 152}, red{164, 186};

const std::vector<RampKey> intro_bands = {
    {0, 0x0C1430},   {32, 0x23409A},  {64, 0x7AA8E0},  {96, 0xDCE4EE}, {128, 0xF0D8A0},
    {160, 0xE8643A}, {192, 0x8C1C34}, {224, 0x2A1644}, {256, 0x0C1430},
};

std::vector<uint32_t> intro_texture()
{
    Canvas c(256, 256, rgb(0));
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            // Flat bands with soft joins, a brushed grain along the rows and
            // a faint sparkle.
            const float fy = float(y) + 0.5f;
            const float band = std::floor(fy / 32.0f) * 32.0f;
            const float within = (fy - band) / 32.0f;
            const float t = band + 32.0f * smoothstep(0.6f, 1.0f, within);
            Rgb col = ramp(intro_bands, t);
            const float grain = fbm(float(x) * 0.02f, fy * 0.7f, 3, 5, 42);
            col = col * (0.88f + 0.24f * grain);
            const float sparkle = value_noise(float(x) * 0.9f, fy * 0.9f, 230, 7);
            if (sparkle > 0.93f) col = mix(col, rgb(0xFFFFFF), (sparkle - 0.93f) * 6.0f);
            c.at(x, y) = col;
        }
    }
    return c.packed();
}

// Texture coordinates inside one tile of the intro texture.
void band_uv(Band b, float along, float across, float& u, float& v)
{
    const float col = 4.0f + std::fmod(std::fabs(along), 1.0f) * 246.0f;
    u = col / tile;
    v = (b.r0 + clamp01(across) * (b.r1 - b.r0)) / tile;
}

// A frame placed on the loop: origin, right, down and nose directions.
struct Frame {
    V3 o, x, y, z;
    V3 at(V3 p) const { return o + x * p.x + y * p.y + z * p.z; }
};

Frame loop_frame(float radius, float angle, float lateral)
{
    const float c = std::cos(angle), s = std::sin(angle);
    // The model turns towards smaller angles, so the nose points along
    // (sin, -cos); the top faces outwards.
    return {{radius * c, radius * s, lateral}, {0, 0, 1}, {-c, -s, 0}, {s, -c, 0}};
}

void add_jet(ModelMesh& m, const Frame& f)
{
    // A stylised display jet, 16 units long: lofted body, delta wings,
    // swept fin, dark canopy.
    const size_t first = m.vertices.size();
    const std::vector<Section> body = {{8.0f, 0.02f, 0.02f}, {6.5f, 0.7f, 0.7f},   {3.5f, 1.25f, 1.3f},
                                       {-1.0f, 1.35f, 1.3f}, {-5.5f, 1.05f, 1.0f}, {-7.6f, 0.8f, 0.8f}};
    loft(m, body, 10, [](const V3& p, float s, float, float& u, float& v) { band_uv(blue, (8.0f - p.z) / 16.0f * 0.95f, 0.5f - 0.5f * std::cos(s * 6.2831853f), u, v); });
    const auto wing = planform({1.0f, 0.2f, 2.5f}, 8.5f, 6.6f, 1.6f, 6.4f, -2.0f, 0.07f, 3, 0.0f);
    auto wing_uv = [](const V3& p, float, float, float& u, float& v) {
        band_uv(silver, std::fabs(p.x) / 8.0f * 0.9f, (2.5f - p.z) / 9.0f, u, v);
    };
    aerofoil(m, wing, {0, -1, 0}, wing_uv);
    aerofoil(m, mirrored(wing), {0, -1, 0}, wing_uv);
    const auto fin = fin_planform({0, -0.9f, -2.5f}, 4.6f, 3.6f, 1.6f, 3.4f, 0.08f, 3, 0.0f);
    aerofoil(m, fin, {1, 0, 0}, [](const V3& p, float, float, float& u, float& v) {
        band_uv(red, (-2.5f - p.z) / 8.0f, (-p.y - 0.9f) / 3.6f, u, v);
    });
    loft(m, {{4.6f, 0.02f, 0.02f, 2, -1.0f}, {3.6f, 0.6f, 0.55f, 2, -1.15f}, {1.8f, 0.75f, 0.8f, 2, -1.25f},
             {0.2f, 0.55f, 0.55f, 2, -1.2f}, {-0.6f, 0.02f, 0.02f, 2, -1.15f}},
         8, [](const V3& p, float s, float, float& u, float& v) { band_uv(gold, (4.6f - p.z) / 6.0f, s, u, v); });
    for (size_t i = first; i < m.vertices.size(); ++i) {
        ModelVertex& w = m.vertices[i];
        const V3 q = f.at({w.x, w.y, w.z});
        w.x = q.x;
        w.y = q.y;
        w.z = q.z;
    }
}

void add_smoke(ModelMesh& m, float radius, float angle, float lateral, Band colour)
{
    // A ribbon on the loop behind the jet's tail, widening as it trails.
    const int steps = 14;
    const float span = 0.95f;  // radians of loop
    std::vector<uint32_t> left, right;
    for (int k = 0; k <= steps; ++k) {
        const float t = float(k) / float(steps);
        const float a = angle + 0.13f + t * span;
        const float half = 0.4f + 1.5f * t;
        const float r = radius + 0.6f * std::sin(t * 9.0f) * t;
        const V3 centre{r * std::cos(a), r * std::sin(a), lateral + 0.8f * std::sin(t * 5.0f + angle) * t};
        float u, v;
        band_uv(colour, t * 3.0f, 0.0f, u, v);
        left.push_back(add_vertex(m, centre + V3{0, 0, -half}, u, v));
        band_uv(colour, t * 3.0f, 1.0f, u, v);
        right.push_back(add_vertex(m, centre + V3{0, 0, half}, u, v));
    }
    for (int k = 0; k < steps; ++k) add_quad(m, left[size_t(k)], left[size_t(k) + 1], right[size_t(k) + 1], right[size_t(k)]);
}

Model intro_model()
{
    Model model;
    model.materials.push_back({"TEAM", 0xDCE4EE, "intro.tex", true});
    ModelMesh m;
    m.name = "TDisplayTeam";
    m.material = "TEAM";
    const float radii[3] = {52.0f, 55.0f, 57.5f};
    for (int f = 0; f < 3; ++f) {
        const float base = 2.6f + float(f) * 2.0943951f;  // 120 degrees apart
        const float r = radii[f];
        struct Slot {
            float lateral, back;
            Band smoke;
        };
        const Slot slots[3] = {{0.0f, 0.0f, gold}, {-12.0f, 0.07f, red}, {12.0f, 0.07f, blue}};
        for (const Slot& s : slots) {
            add_jet(m, loop_frame(r, base + s.back, s.lateral));
            add_smoke(m, r, base + s.back, s.lateral, s.smoke);
        }
    }
    model.meshes.push_back(m);
    model.cameras.push_back({"Camera01", {0.0f, 65.0f, -10.0f}, {0.0f, 0.0f, 80.0f}, 35.0f});
    model.spin_turns = 1.0f;
    return model;
}

}  // namespace


void add_intro_and_shot(std::vector<OutputFile>& out)
{
    out.push_back({"Data/Fire.3ds", write_3ds(shot_model())});
    out.push_back({"Data/Fire.tex", texture_bytes(shot_texture())});
    out.push_back({"Models/intro.3ds", write_3ds(intro_model())});
    out.push_back({"Models/intro.tex", texture_bytes(intro_texture())});
}

}  // namespace datagen
