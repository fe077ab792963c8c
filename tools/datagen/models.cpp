// Writes the models and their textures into the game directory.
#include "aircraft.h"

namespace datagen {

void add_intro_and_shot(std::vector<OutputFile>& out);

void add_models(std::vector<OutputFile>& out)
{
    add_intro_and_shot(out);
    for (const Design& d : aeroplane_designs()) {
        out.push_back({"Models/" + d.name + ".3ds", write_3ds(build_model(d))});
        out.push_back({"Models/" + d.name + ".tex", texture_bytes(paint_texture(d))});
    }
}

}  // namespace datagen
