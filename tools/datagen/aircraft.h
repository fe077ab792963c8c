// The six aeroplanes of the game and the shared way they are put together.
#pragma once

#include <functional>

#include "livery.h"

namespace datagen {

// Geometry and livery of one aeroplane. The builder makes the meshes
// "TFuselage", "TWings", "TTail" (textured), "BCanopy" (the blue canopy)
// and whatever flat-coloured extras the design adds (spinners, propellers,
// nozzles, tanks), and paints the texture atlas region by region.
struct Design {
    std::string name;
    float scale = 1.0f;  // applied to the finished model (liveries are painted unscaled)
    std::vector<Section> body;
    BodyMap body_map{};
    std::vector<WingStation> wing;
    TopMap wing_map{};
    std::vector<WingStation> tail;
    TopMap tail_map{};
    std::vector<std::vector<WingStation>> fins;  // each fin as it stands
    SideMap fin_map{};
    std::vector<Section> canopy;
    std::vector<ModelMesh> extras;  // flat-coloured parts, fully built
    std::vector<ModelMesh> textured_extras;  // textured parts (nacelles)

    // Painters, each given the surface point and its surface parameters.
    std::function<Rgb(V3 p, float s, float girth)> paint_body;
    std::function<Rgb(V3 p)> paint_wing;
    std::function<Rgb(V3 p)> paint_tail;
    std::function<Rgb(V3 p)> paint_fin;
    // Extra painting over the finished atlas (nacelle bands and the like).
    std::function<void(Canvas&)> paint_more;
};

std::vector<Design> aeroplane_designs();
Model build_model(const Design& d);
std::vector<uint32_t> paint_texture(const Design& d);

// Helpers for the designs.
ModelMesh spinner_mesh(const std::string& name, V3 base, float radius, float length);
void add_propeller(ModelMesh& m, V3 hub, int blades, float radius, float phase);
void add_body(ModelMesh& m, const std::vector<Section>& sections, int around);

}  // namespace datagen
