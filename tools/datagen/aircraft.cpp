// Builds the aeroplane models and paints their textures from the designs
// in designs.cpp.
#include "aircraft.h"

#include <cmath>

namespace datagen {

ModelMesh spinner_mesh(const std::string& name, V3 base, float radius, float length)
{
    ModelMesh m;
    m.name = name;
    m.material = "TRIM";
    std::vector<Section> s;
    for (int k = 0; k <= 4; ++k) {
        const float t = float(k) / 4.0f;
        const float r = radius * std::sqrt(std::max(0.0f, 1.0f - t * t));
        s.push_back({base.z + t * length, r, r, 2.0f, base.y, base.x});
    }
    loft(m, s, 10, flat_uv());
    return m;
}

void add_propeller(ModelMesh& m, V3 hub, int blades, float radius, float phase)
{
    for (int b = 0; b < blades; ++b) {
        const float a = phase + float(b) * 6.2831853f / float(blades);
        const V3 dir{std::cos(a), std::sin(a), 0.0f};
        const V3 side{-std::sin(a), std::cos(a), 0.0f};
        // Blade: wide near the hub, narrowing to a rounded tip, twisted.
        const V3 root = hub + dir * 0.6f, tip = hub + dir * radius;
        const V3 pitch_root = side * 0.45f + V3{0, 0, 0.25f}, pitch_tip = side * 0.28f + V3{0, 0, 0.06f};
        slab(m, root - pitch_root, root + pitch_root, tip + pitch_tip, tip - pitch_tip, V3{0, 0, 1}, 0.07f, 0.5f, 0.5f);
    }
}

void add_body(ModelMesh& m, const std::vector<Section>& sections, int around)
{
    loft(m, sections, around, flat_uv());
}

Model build_model(const Design& d)
{
    Model model;
    const std::string skin = d.name + " skin";
    model.materials.push_back({skin, 0xC8C8C8, d.name + ".tex", false});
    model.materials.push_back({"GLASS", 0x321EFA, "", true});
    model.materials.push_back({"TRIM", 0xFA3232, "", false});

    ModelMesh body;
    body.name = "TFuselage";
    body.material = skin;
    loft(body, d.body, 16, body_uv(d.body_map));
    model.meshes.push_back(body);

    ModelMesh wings;
    wings.name = "TWings";
    wings.material = skin;
    aerofoil(wings, d.wing, {0, -1, 0}, top_uv(d.wing_map));
    aerofoil(wings, mirrored(d.wing), {0, -1, 0}, top_uv(d.wing_map));
    wings.pivot[1] = d.wing.front().le.y;
    wings.pivot[2] = d.wing.front().le.z;
    model.meshes.push_back(wings);

    ModelMesh tail;
    tail.name = "TTail";
    tail.material = skin;
    aerofoil(tail, d.tail, {0, -1, 0}, top_uv(d.tail_map));
    aerofoil(tail, mirrored(d.tail), {0, -1, 0}, top_uv(d.tail_map));
    for (const auto& fin : d.fins) aerofoil(tail, fin, {1, 0, 0}, side_uv(d.fin_map));
    tail.pivot[2] = d.tail.front().le.z;
    model.meshes.push_back(tail);

    for (ModelMesh m : d.textured_extras) {
        m.material = skin;
        model.meshes.push_back(m);
    }

    ModelMesh canopy;
    canopy.name = "BCanopy";
    canopy.material = "GLASS";
    loft(canopy, d.canopy, 12, flat_uv());
    canopy.pivot[1] = d.canopy[d.canopy.size() / 2].y;
    canopy.pivot[2] = d.canopy[d.canopy.size() / 2].z;
    model.meshes.push_back(canopy);

    for (const ModelMesh& m : d.extras) model.meshes.push_back(m);
    for (ModelMesh& m : model.meshes) {
        for (ModelVertex& v : m.vertices) {
            v.x *= d.scale;
            v.y *= d.scale;
            v.z *= d.scale;
        }
        for (float& p : m.pivot) p *= d.scale;
    }
    return model;
}

std::vector<uint32_t> paint_texture(const Design& d)
{
    Canvas c(256, 256, rgb(0x808080));
    const BodyMap& bm = d.body_map;
    paint_region(c, 0, int(bm.row0) - 2, 256, int(bm.row0 + bm.rows) + 2, [&](float col, float row) {
        const float z = bm.z_at(col);
        const float s = clamp01(bm.s_at(row));
        return d.paint_body(body_point(d.body, z, s), s, body_girth(d.body, z));
    });
    const float wing_y = d.wing.front().le.y;
    paint_region(c, 0, 128, 256, 192, [&](float col, float row) {
        return d.paint_wing({d.wing_map.x_at(col), wing_y, d.wing_map.z_at(row)});
    });
    const float tail_y = d.tail.front().le.y;
    paint_region(c, 0, 192, 128, 256, [&](float col, float row) {
        return d.paint_tail({d.tail_map.x_at(col), tail_y, d.tail_map.z_at(row)});
    });
    paint_region(c, 128, 192, 256, 256, [&](float col, float row) {
        return d.paint_fin({0.0f, d.fin_map.y_at(row), d.fin_map.z_at(col)});
    });
    if (d.paint_more) d.paint_more(c);
    // Weathering: a faint, fine mottling over everything.
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const float n = fbm(float(x) * 0.15f, float(y) * 0.15f, 3, 64, 1234);
            c.at(x, y) = c.at(x, y) * (0.95f + 0.1f * n);
        }
    }
    return c.packed();
}

}  // namespace datagen
