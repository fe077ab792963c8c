// valkron-icon: the game's desktop icon, drawn by the game's own engine.
//
//   valkron-icon GAME_DIR OUT_DIR
//
// renders the "Lizard 372" of the generated game directory from above,
// nose to the upper right, at 1024 x 1024 pixels and writes it, averaged
// down, as OUT_DIR/valkron-256.png, valkron-128.png and valkron-64.png:
// RGBA pictures whose background is transparent (the engine's depth buffer
// tells which pixels the aeroplane covers), and the 64-pixel one as
// OUT_DIR/window_icon.cpp, the icon the game's window shows.
#include <png.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/scene.h"
#include "assets/texture.h"
#include "common/scene_camera.h"
#include "engine/engine.h"
#include "engine/math3d.h"
#include "engine/render.h"

namespace {

constexpr int32_t render_size = 1024;
constexpr int32_t icon_sizes[] = {256, 128, 64};

// Averages factor x factor blocks of the coverage-weighted render into one
// RGBA pixel each.
std::vector<uint8_t> shrink(const std::vector<uint32_t>& pixels, const std::vector<uint8_t>& covered,
                            int32_t factor)
{
    const int32_t size = render_size / factor;
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            uint64_t sum[3] = {0, 0, 0}, count = 0;
            for (int32_t j = 0; j < factor; ++j) {
                for (int32_t i = 0; i < factor; ++i) {
                    const size_t at = static_cast<size_t>(y * factor + j) * render_size + (x * factor + i);
                    if (!covered[at]) continue;
                    const uint32_t p = pixels[at];
                    sum[0] += (p >> 16) & 0xFF;
                    sum[1] += (p >> 8) & 0xFF;
                    sum[2] += p & 0xFF;
                    ++count;
                }
            }
            uint8_t* out = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            for (int k = 0; k < 3; ++k) {
                out[k] = count ? static_cast<uint8_t>((sum[k] + count / 2) / count) : 0;
            }
            const uint64_t area = static_cast<uint64_t>(factor) * factor;
            out[3] = static_cast<uint8_t>((count * 255 + area / 2) / area);
        }
    }
    return rgba;
}

bool write_rgba_png(const std::string& path, const std::vector<uint8_t>& rgba, int32_t size)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(size);
    image.height = static_cast<png_uint_32>(size);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: valkron-icon GAME_DIR OUT_DIR\n");
        return 2;
    }
    const std::string game = argv[1], out = argv[2];
    const std::string model = game + "/Models/Lizard 372.3ds", skin = game + "/Models/Lizard 372.tex";
    Scene* scene = load_scene(model.c_str());
    Texture* texture = load_texture(skin.c_str());
    if (!scene || !texture || !engine_init(render_size, render_size)) {
        std::fprintf(stderr, "valkron-icon: cannot read %s and its texture\n", model.c_str());
        release_scene(scene);
        release_texture(texture);
        engine_release();
        return 1;
    }

    double centre[3], radius;
    bounding_sphere(scene_bounds(*scene), centre, radius);
    // Seen almost from above the aeroplane lies across the picture's
    // diagonal, so it fills the square more tightly than its sphere does.
    const double half_angle = std::atan((render_size - 4.0) / (2.0 * engine.focal_x));
    const Matrix4 camera = orbit_camera(centre, 45, 70, 0.8 * radius / std::sin(half_angle));
    Matrix4 model_matrix;
    matrix_identity(model_matrix);

    std::vector<uint32_t> pixels(static_cast<size_t>(render_size) * render_size, 0);
    engine_clear_depth();
    for (int32_t m = 0; m < scene->mesh_count; ++m) {
        const Mesh& mesh = scene->meshes[m];
        // As a match draws an aeroplane: "T..." meshes textured, "B..."
        // the canopy blue, others a flat red.
        const char first = mesh.name ? mesh.name[0] : 0;
        const uint32_t colour = first == 'B' ? 0x321EFA : 0xFA3232;
        render_mesh(model_matrix, camera, mesh, pixels.data(), colour, first == 'T' ? texture : nullptr);
    }
    std::vector<uint8_t> covered(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        covered[i] = engine.depth_buffer[i] != 0.0f;
    }
    engine_release();
    release_texture(texture);
    release_scene(scene);

    for (int32_t size : icon_sizes) {
        const std::string path = out + "/valkron-" + std::to_string(size) + ".png";
        const std::vector<uint8_t> rgba = shrink(pixels, covered, render_size / size);
        if (!write_rgba_png(path, rgba, size)) {
            std::fprintf(stderr, "valkron-icon: cannot write %s\n", path.c_str());
            return 1;
        }
        if (size == 64) {
            const std::string source = out + "/window_icon.cpp";
            FILE* file = std::fopen(source.c_str(), "w");
            if (!file) {
                std::fprintf(stderr, "valkron-icon: cannot write %s\n", source.c_str());
                return 1;
            }
            std::fprintf(file, "// Made by valkron-icon.\n#include <cstdint>\nextern const uint8_t window_icon_rgba[%zu];\n"
                               "const uint8_t window_icon_rgba[%zu] = {", rgba.size(), rgba.size());
            for (size_t i = 0; i < rgba.size(); ++i) {
                std::fprintf(file, "%s%u,", i % 32 ? "" : "\n", rgba[i]);
            }
            std::fprintf(file, "\n};\n");
            std::fclose(file);
        }
    }
    return 0;
}
