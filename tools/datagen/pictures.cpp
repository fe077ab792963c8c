// Writes the pictures of the game directory: explosion frames, menu
// picture, aiming mark and the credits texture.
#include <string>

#include "datagen.h"

namespace datagen {

void add_pictures(std::vector<OutputFile>& out)
{
    for (int n = 1; n <= 17; ++n) {
        out.push_back({"Data/Expl" + std::to_string(n) + ".tex", texture_bytes(make_explosion_frame(n))});
    }
    out.push_back({"Data/Menu.tex", raw_bytes(make_menu_picture())});
    out.push_back({"Data/Target.tex", raw_bytes(make_target())});
    out.push_back({"Data/Quorba.tex", texture_bytes(credits_to_texture(make_credits_picture()))});
}

}  // namespace datagen
