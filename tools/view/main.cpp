// valkron-view: renders every mesh of a .3ds scene through the game's own
// engine (render_mesh: frustum clipping, flat or textured fills, depth
// buffer) from a camera orbiting the scene's bounding-box centre, and
// writes the picture as a PNG. It is how we look at models and at renderer
// faults.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/scene.h"
#include "assets/texture.h"
#include "common/png_writer.h"
#include "common/scene_camera.h"
#include "engine/engine.h"
#include "engine/math3d.h"
#include "engine/render.h"

namespace {

const char usage[] =
    "usage: valkron-view MODEL.3ds --out FILE.png [options]\n"
    "  --size WxH            picture size (default 640x480)\n"
    "  --yaw DEG             camera turned about the vertical axis (default 30)\n"
    "  --pitch DEG           camera raised above the model (default 20)\n"
    "  --distance D          camera distance from the centre (default: fit the model)\n"
    "  --texture FILE.tex    texture every mesh with this 256 x 256 texture\n"
    "  --colour 0xRRGGBB     flat colour (default 0xFA3232), shaded per face\n"
    "  --mesh-colours        one flat colour per mesh from a fixed palette\n"
    "  --match-colours       as a match draws an aeroplane: meshes named T... textured,\n"
    "                        B... 0x321EFA, others the flat colour\n"
    "  --mapping-scale S     draw with render_mesh_scaled and this mapping scale\n"
    "                        (render_mesh uses 256)\n"
    "  --background 0xRRGGBB picture background (default 0x000000)\n"
    "  --zoom N              write the picture N times enlarged, pixels as blocks\n"
    "  --only N              draw only mesh N (counted from 0; the camera still fits all)\n"
    "  --list                print each mesh's index, name and counts\n"
    "  --quiet               no report on standard output\n";

struct Options {
    const char* model = nullptr;
    const char* out = nullptr;
    const char* texture = nullptr;
    int32_t width = 640, height = 480;
    double yaw = 30, pitch = 20;
    double distance = 0;  // 0: fit
    uint32_t colour = 0xFA3232;
    uint32_t background = 0;
    bool mesh_colours = false;
    bool match_colours = false;
    float mapping_scale = 0;  // 0: render_mesh
    int zoom = 1;
    int only = -1;  // -1: every mesh
    bool list = false;
    bool quiet = false;
};

bool parse_double(const char* text, double& out)
{
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text, &end);
    return end != text && *end == 0 && errno == 0 && std::isfinite(out);
}

bool parse_colour(const char* text, uint32_t& out)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (end == text || *end != 0 || errno != 0 || value > 0xFFFFFFul) {
        return false;
    }
    out = static_cast<uint32_t>(value);
    return true;
}

bool parse_size(const char* text, int32_t& w, int32_t& h)
{
    int a = 0, b = 0;
    char tail = 0;
    if (std::sscanf(text, "%dx%d%c", &a, &b, &tail) != 2 || a < 8 || b < 8 || a > 8192 || b > 8192) {
        return false;
    }
    w = a;
    h = b;
    return true;
}

bool parse_options(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = (i + 1 < argc) ? argv[i + 1] : nullptr;
        auto need = [&](bool ok) {
            if (!ok) {
                std::fprintf(stderr, "valkron-view: bad or missing value for %s\n", arg.c_str());
            }
            return ok;
        };
        double number = 0;
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            std::exit(0);
        } else if (arg == "--out") {
            if (!need(value != nullptr)) return false;
            o.out = value;
            ++i;
        } else if (arg == "--texture") {
            if (!need(value != nullptr)) return false;
            o.texture = value;
            ++i;
        } else if (arg == "--size") {
            if (!need(value && parse_size(value, o.width, o.height))) return false;
            ++i;
        } else if (arg == "--yaw") {
            if (!need(value && parse_double(value, o.yaw))) return false;
            ++i;
        } else if (arg == "--pitch") {
            if (!need(value && parse_double(value, o.pitch))) return false;
            ++i;
        } else if (arg == "--distance") {
            if (!need(value && parse_double(value, o.distance) && o.distance > 0)) return false;
            ++i;
        } else if (arg == "--colour" || arg == "--color") {
            if (!need(value && parse_colour(value, o.colour))) return false;
            ++i;
        } else if (arg == "--background") {
            if (!need(value && parse_colour(value, o.background))) return false;
            ++i;
        } else if (arg == "--mapping-scale") {
            if (!need(value && parse_double(value, number) && number != 0)) return false;
            o.mapping_scale = static_cast<float>(number);
            ++i;
        } else if (arg == "--zoom") {
            if (!need(value && parse_double(value, number) && number >= 1 && number <= 16)) return false;
            o.zoom = static_cast<int>(number);
            ++i;
        } else if (arg == "--only") {
            if (!need(value && parse_double(value, number) && number >= 0 && number < 65536)) return false;
            o.only = static_cast<int>(number);
            ++i;
        } else if (arg == "--list") {
            o.list = true;
        } else if (arg == "--mesh-colours" || arg == "--mesh-colors") {
            o.mesh_colours = true;
        } else if (arg == "--match-colours" || arg == "--match-colors") {
            o.match_colours = true;
        } else if (arg == "--quiet") {
            o.quiet = true;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "valkron-view: unknown option %s\n%s", arg.c_str(), usage);
            return false;
        } else if (!o.model) {
            o.model = argv[i];
        } else {
            std::fprintf(stderr, "valkron-view: more than one model given\n");
            return false;
        }
    }
    if (!o.model || !o.out) {
        std::fputs(usage, stderr);
        return false;
    }
    return true;
}

const uint32_t palette[] = {0xFA3232, 0x32C832, 0x3264FA, 0xFAC832, 0xC832FA, 0x32C8C8, 0xFA8C32,
                            0x8CFA32, 0xFA32A0, 0xA0A0A0, 0x6E50FA, 0xFAFA8C};

bool write_zoomed(const char* path, const std::vector<uint32_t>& pixels, int32_t w, int32_t h, int zoom)
{
    if (zoom <= 1) {
        return write_png(path, pixels.data(), w, h);
    }
    const int32_t zw = w * zoom, zh = h * zoom;
    std::vector<uint32_t> big(static_cast<size_t>(zw) * zh);
    for (int32_t y = 0; y < zh; ++y) {
        for (int32_t x = 0; x < zw; ++x) {
            big[static_cast<size_t>(y) * zw + x] = pixels[static_cast<size_t>(y / zoom) * w + x / zoom];
        }
    }
    return write_png(path, big.data(), zw, zh);
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!parse_options(argc, argv, o)) {
        return 2;
    }
    Scene* scene = load_scene(o.model);
    if (!scene) {
        std::fprintf(stderr, "valkron-view: cannot read %s\n", o.model);
        return 1;
    }
    Texture* texture = nullptr;
    if (o.texture) {
        texture = load_texture(o.texture);
        if (!texture) {
            std::fprintf(stderr, "valkron-view: cannot read %s\n", o.texture);
            release_scene(scene);
            return 1;
        }
    }
    if (!engine_init(o.width, o.height)) {
        std::fprintf(stderr, "valkron-view: cannot build the engine at %dx%d\n", o.width, o.height);
        release_texture(texture);
        release_scene(scene);
        engine_release();
        return 1;
    }

    const SceneBounds b = scene_bounds(*scene);
    double centre[3], radius;
    bounding_sphere(b, centre, radius);
    // Fit: the bounding sphere inside the narrower half opening of the view.
    const double hx = (o.width - 2.0) / (2.0 * engine.focal_x), hy = (o.height - 4.0) / (2.0 * engine.focal_y);
    const double half_angle = std::atan(std::min(hx, hy));
    const double distance = o.distance > 0 ? o.distance : 1.05 * radius / std::sin(half_angle);
    const Matrix4 camera = orbit_camera(centre, o.yaw, o.pitch, distance);
    Matrix4 model;
    matrix_identity(model);

    std::vector<uint32_t> pixels(static_cast<size_t>(o.width) * o.height, o.background);
    engine_clear_depth();
    int32_t faces = 0, vertices = 0;
    for (int32_t m = 0; m < scene->mesh_count; ++m) {
        const Mesh& mesh = scene->meshes[m];
        faces += mesh.face_count;
        vertices += mesh.vertex_count;
        if (o.list) {
            std::printf("mesh %d \"%s\": %d faces, %d vertices\n", m, mesh.name ? mesh.name : "", mesh.face_count,
                        mesh.vertex_count);
        }
        if (o.only >= 0 && m != o.only) {
            continue;
        }
        uint32_t colour = o.mesh_colours ? palette[m % (sizeof palette / sizeof palette[0])] : o.colour;
        const Texture* mesh_texture = texture;
        if (o.match_colours) {
            const char first = mesh.name ? mesh.name[0] : 0;
            mesh_texture = first == 'T' ? texture : nullptr;
            if (first == 'B') colour = 0x321EFA;
        }
        if (o.mapping_scale != 0) {
            render_mesh_scaled(model, camera, mesh, pixels.data(), colour, mesh_texture, o.mapping_scale);
        } else {
            render_mesh(model, camera, mesh, pixels.data(), colour, mesh_texture);
        }
    }

    int64_t drawn = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        drawn += engine.depth_buffer[i] != 0.0f;
    }
    const bool written = write_zoomed(o.out, pixels, o.width, o.height, o.zoom);
    if (!o.quiet) {
        std::printf("%s: %d meshes, %d faces, %d vertices\n", o.model, scene->mesh_count, faces, vertices);
        if (!b.empty) {
            std::printf("bounds (%g, %g, %g) to (%g, %g, %g), centre (%g, %g, %g), radius %g\n", b.min[0], b.min[1],
                        b.min[2], b.max[0], b.max[1], b.max[2], centre[0], centre[1], centre[2], radius);
        }
        std::printf("camera yaw %g, pitch %g, distance %g; %dx%d, %lld pixels drawn (%.1f%%)\n", o.yaw, o.pitch,
                    distance, o.width, o.height, static_cast<long long>(drawn),
                    100.0 * static_cast<double>(drawn) / static_cast<double>(pixels.size()));
    }
    engine_release();
    release_texture(texture);
    release_scene(scene);
    if (!written) {
        std::fprintf(stderr, "valkron-view: cannot write %s\n", o.out);
        return 1;
    }
    return 0;
}
