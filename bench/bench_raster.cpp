// Speed of the triangle fills on a standard scene: one 512 x 768 view, about
// two thousand triangles of random sizes and depths covering the view about
// three times over, textured with a 256 x 256 texture, then the same scene
// flat shaded. Prints covered pixels per frame, Mpixels/s of both fills,
// ms per whole view and memset's speed over the view's bytes.
//
//   bench_raster [--frames N] [--runs N] [--seed S] [--dump FILE]
//
// --dump writes the scene's camera-space triangles: little-endian uint32
// triangle count, width, height, focal, then per triangle three vertices of
// five float32 (x, y, z in camera space, u, v in texels).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <span>
#include <vector>

#include "platform/frame_memory.h"
#include "engine/engine.h"
#include "engine/raster.h"
#include "engine/render.h"

namespace {

constexpr int32_t view_width = 512;
constexpr int32_t view_height = 768;
constexpr int triangle_count = 2000;
constexpr double coverage = 3.25;  // view areas before clamping into the view (about 3 after)

struct BenchScene {
    std::vector<Vertex> camera;  // camera-space corners, u, v in texels
    std::vector<Vertex> screen;  // the same projected as the pipeline does
    std::vector<Face> screen_faces;
    std::vector<Vertex> mesh_vertices;  // u, v in texture units (texels / 256)
    std::vector<Face> mesh_faces;
    Mesh mesh{};
};

// The figures use the thread's CPU time, so that other programs sharing the
// machine slow them down less; the wall-clock figures are printed as well.
double now_seconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double wall_seconds()
{
    using clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(clock::now().time_since_epoch()).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Screen-space triangles of log-uniform size at random depths, scaled so
// that their areas add up to `coverage` views, kept inside the frustum
// margins so that no face is clipped, then taken back to camera space.
BenchScene make_scene(uint32_t seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    struct Screen {
        double cx, cy, ox[3], oy[3];
        float z[3], u[3], v[3];
    };
    std::vector<Screen> tris(triangle_count);
    double area = 0;
    for (Screen& t : tris) {
        t.cx = 4 + unit(rng) * (view_width - 8);
        t.cy = 4 + unit(rng) * (view_height - 8);
        const double size = std::exp(std::log(2.0) + unit(rng) * (std::log(400.0) - std::log(2.0)));
        const double base_z = 2 + unit(rng) * 98;
        const double turn = unit(rng) * 6.2831853;
        for (int k = 0; k < 3; ++k) {
            const double a = turn + k * 2.0943951 + (unit(rng) - 0.5) * 1.2;
            const double r = size * (0.4 + 0.6 * unit(rng));
            t.ox[k] = std::cos(a) * r;
            t.oy[k] = std::sin(a) * r;
            t.z[k] = static_cast<float>(base_z * (1 + 0.3 * (unit(rng) - 0.5)));
            t.u[k] = static_cast<float>(unit(rng) * 512 - 128);
            t.v[k] = static_cast<float>(unit(rng) * 512 - 128);
        }
        area += 0.5 * std::fabs((t.ox[1] - t.ox[0]) * (t.oy[2] - t.oy[0]) - (t.ox[2] - t.ox[0]) * (t.oy[1] - t.oy[0]));
    }
    const double scale = std::sqrt(coverage * view_width * view_height / area);

    BenchScene s;
    const double focal = static_cast<int32_t>(view_width * 0.8);
    for (const Screen& t : tris) {
        for (int k = 0; k < 3; ++k) {
            const double sx = std::clamp(t.cx + t.ox[k] * scale, 3.0, view_width - 3.0);
            const double sy = std::clamp(t.cy + t.oy[k] * scale, 4.0, view_height - 4.0);
            Vertex v;
            v.z = t.z[k];
            v.x = static_cast<float>((sx - view_width / 2) * v.z / focal);
            v.y = static_cast<float>((sy - view_height / 2) * v.z / focal);
            v.u = t.u[k];
            v.v = t.v[k];
            s.camera.push_back(v);
        }
    }
    // Projected exactly as the pipeline projects.
    s.screen = s.camera;
    for (Vertex& v : s.screen) {
        v.x = static_cast<float>(static_cast<int32_t>(focal)) * v.x / v.z + static_cast<float>(view_width / 2);
        v.y = static_cast<float>(static_cast<int32_t>(focal)) * v.y / v.z + static_cast<float>(view_height / 2);
    }
    s.mesh_vertices = s.camera;
    for (Vertex& v : s.mesh_vertices) {
        v.u /= 256.0f;
        v.v /= 256.0f;
    }
    s.screen_faces.resize(triangle_count);
    s.mesh_faces.resize(triangle_count);
    for (int f = 0; f < triangle_count; ++f) {
        s.screen_faces[f].material = 0;
        s.mesh_faces[f].material = 0;
        for (int k = 0; k < 3; ++k) {
            s.screen_faces[f].corner[k] = &s.screen[3 * f + k];
            s.mesh_faces[f].corner[k] = &s.mesh_vertices[3 * f + k];
        }
    }
    s.mesh.face_count = triangle_count;
    s.mesh.vertex_count = 3 * triangle_count;
    s.mesh.faces = s.mesh_faces.data();
    s.mesh.vertices = s.mesh_vertices.data();
    return s;
}

bool dump_scene(const BenchScene& s, const char* path)
{
    FILE* f = std::fopen(path, "wb");
    if (!f) {
        return false;
    }
    auto put32 = [f](uint32_t value) {
        const unsigned char b[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
        std::fwrite(b, 1, 4, f);
    };
    auto put_float = [&](float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        put32(bits);
    };
    put32(triangle_count);
    put32(view_width);
    put32(view_height);
    put32(static_cast<uint32_t>(engine.focal_x));
    for (const Vertex& v : s.camera) {
        put_float(v.x);
        put_float(v.y);
        put_float(v.z);
        put_float(v.u);
        put_float(v.v);
    }
    return std::fclose(f) == 0;
}

// Pixels each face covers (tested against the depth buffer) and how many of
// them pass, counted one face at a time over its bounding box.
void count_pixels(const BenchScene& s, uint32_t* target, int64_t& tested, int64_t& passed)
{
    const size_t count = static_cast<size_t>(view_width) * view_height;
    std::vector<float> scene_depth(count, 0.0f);
    tested = passed = 0;
    for (const Face& face : s.screen_faces) {
        float min_x = 1e9f, max_x = -1e9f, min_y = 1e9f, max_y = -1e9f;
        for (int k = 0; k < 3; ++k) {
            min_x = std::min(min_x, face.corner[k]->x);
            max_x = std::max(max_x, face.corner[k]->x);
            min_y = std::min(min_y, face.corner[k]->y);
            max_y = std::max(max_y, face.corner[k]->y);
        }
        const int x0 = std::max(0, static_cast<int>(min_x)), x1 = std::min(view_width - 1, static_cast<int>(max_x) + 1);
        const int y0 = std::max(0, static_cast<int>(min_y)), y1 = std::min(view_height - 1, static_cast<int>(max_y) + 1);
        // Covered: drawn over a depth that everything passes.
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                engine.depth_buffer[y * view_width + x] = -1e30f;
            }
        }
        fill_flat(face, target, 0x808080);
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const size_t at = static_cast<size_t>(y) * view_width + x;
                const float w = engine.depth_buffer[at];
                if (w != -1e30f) {
                    ++tested;
                    if (w > scene_depth[at]) {
                        ++passed;
                        scene_depth[at] = w;
                    }
                }
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    int frames = 10, runs = 7;
    uint32_t seed = 20240611;
    const char* dump = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--dump") == 0 && i + 1 < argc) {
            dump = argv[++i];
        } else {
            std::fprintf(stderr, "usage: bench_raster [--frames N] [--runs N] [--seed S] [--dump FILE]\n");
            return 2;
        }
    }

    if (!engine_init(view_width, view_height)) {
        std::fprintf(stderr, "bench_raster: engine_init failed\n");
        return 1;
    }
    const BenchScene scene = make_scene(seed);
    if (dump && !dump_scene(scene, dump)) {
        std::fprintf(stderr, "bench_raster: cannot write %s\n", dump);
        engine_release();
        return 1;
    }
    const size_t count = static_cast<size_t>(view_width) * view_height;
    // The view's memory as the game allocates it.
    std::unique_ptr<uint32_t, decltype(&std::free)> target_memory(
        static_cast<uint32_t*>(allocate_frame_memory(count * sizeof(uint32_t))), &std::free);
    if (!target_memory) {
        return 1;
    }
    const std::span<uint32_t> target(target_memory.get(), count);
    std::fill(target.begin(), target.end(), 0u);
    auto* texture = static_cast<Texture*>(std::malloc(sizeof(Texture)));
    std::mt19937 rng(seed + 1);
    for (uint32_t& p : texture->pixels) {
        p = rng() & 0xFFFFFF;
    }

    int64_t tested = 0, passed = 0;
    count_pixels(scene, target.data(), tested, passed);

    Matrix4 identity;
    matrix_identity(identity);
    std::vector<double> textured, flat, view_textured, view_flat, clear, textured_wall, flat_wall;
    std::vector<double> view_textured_wall, view_flat_wall;
    uint32_t checksum = 0;
    for (int r = 0; r < runs; ++r) {
        double fill_time = 0, fill_wall = 0;
        for (int f = 0; f < frames; ++f) {
            engine_clear_depth();
            const double t0 = now_seconds(), w0 = wall_seconds();
            engine.current_texture = texture;
            for (const Face& face : scene.screen_faces) {
                fill_textured(face, target.data());
            }
            fill_time += now_seconds() - t0;
            fill_wall += wall_seconds() - w0;
        }
        textured.push_back(static_cast<double>(tested) * frames / fill_time / 1e6);
        textured_wall.push_back(static_cast<double>(tested) * frames / fill_wall / 1e6);
        checksum += target[count / 2];

        fill_time = fill_wall = 0;
        for (int f = 0; f < frames; ++f) {
            engine_clear_depth();
            const double t0 = now_seconds(), w0 = wall_seconds();
            for (const Face& face : scene.screen_faces) {
                fill_flat(face, target.data(), 0xFA3232);
            }
            fill_time += now_seconds() - t0;
            fill_wall += wall_seconds() - w0;
        }
        flat.push_back(static_cast<double>(tested) * frames / fill_time / 1e6);
        flat_wall.push_back(static_cast<double>(tested) * frames / fill_wall / 1e6);
        checksum += target[count / 3];

        for (int mode = 0; mode < 2; ++mode) {
            const double t0 = now_seconds(), w0 = wall_seconds();
            for (int f = 0; f < frames; ++f) {
                engine_clear_depth();
                std::memset(target.data(), 0, count * sizeof(uint32_t));
                render_mesh(identity, identity, scene.mesh, target.data(), 0xFA3232, mode == 0 ? texture : nullptr);
            }
            (mode == 0 ? view_textured : view_flat).push_back((now_seconds() - t0) * 1e3 / frames);
            (mode == 0 ? view_textured_wall : view_flat_wall).push_back((wall_seconds() - w0) * 1e3 / frames);
            checksum += target[count / 4];
        }

        const int clears = frames * 20;
        const double t0 = now_seconds();
        for (int f = 0; f < clears; ++f) {
            std::memset(target.data(), f & 1, count * sizeof(uint32_t));
            // Keep the stores: read one value back through a volatile.
            volatile uint32_t sink = target[(f * 7919) % count];
            (void)sink;
        }
        clear.push_back((now_seconds() - t0) / clears);
    }

    const double bytes = static_cast<double>(count) * sizeof(uint32_t);
    std::printf("scene: %d x %d view, %d triangles, seed %u (median of %d runs of %d frames, thread CPU time)\n",
                view_width,
                view_height, triangle_count, seed, runs, frames);
    std::printf("covered pixels per frame:     %lld (%.2f views), %.1f%% pass the depth test\n",
                static_cast<long long>(tested), static_cast<double>(tested) / static_cast<double>(count),
                100.0 * static_cast<double>(passed) / static_cast<double>(tested));
    std::printf("textured fill:                %.1f Mpixels/s (wall clock %.1f)\n", median(textured),
                median(textured_wall));
    std::printf("flat fill:                    %.1f Mpixels/s (wall clock %.1f)\n", median(flat), median(flat_wall));
    std::printf("whole view, textured:         %.3f ms (clear depth, clear colour, render_mesh; wall clock %.3f)\n",
                median(view_textured), median(view_textured_wall));
    std::printf("whole view, flat:             %.3f ms (wall clock %.3f)\n", median(view_flat),
                median(view_flat_wall));
    std::printf("memset of %d x %d x 4 bytes:  %.3f ms, %.1f GB/s\n", view_width, view_height,
                median(clear) * 1e3, bytes / median(clear) / 1e9);
    std::printf("(checksum %08x)\n", checksum);

    std::free(texture);
    engine_release();
    return 0;
}
