// The engine's fills and mesh pipeline against the plain reference renderer:
// every pixel and every depth value must be the same, bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/raster.h"
#include "engine/render.h"
#include "engine_test_util.h"
#include "reference_renderer.h"

namespace {

using reference::Corner;
using reference::Triangle;

Texture* random_texture(std::mt19937& rng)
{
    auto* tex = new Texture;
    for (uint32_t& p : tex->pixels) p = rng() & 0xFFFFFFu;
    return tex;
}

// First difference between the engine's buffers and the reference view, or
// an empty string.
std::string compare(const reference::View& ref, const uint32_t* pixels)
{
    const size_t count = ref.pixels.size();
    for (size_t i = 0; i < count; ++i) {
        uint32_t a, b;
        std::memcpy(&a, &engine.depth_buffer[i], 4);
        std::memcpy(&b, &ref.depth[i], 4);
        if (pixels[i] != ref.pixels[i] || a != b) {
            char text[200];
            std::snprintf(text, sizeof text, "pixel (%zu, %zu): engine %06x depth %.9g, reference %06x depth %.9g",
                          i % ref.width, i / ref.width, pixels[i], engine.depth_buffer[i], ref.pixels[i], ref.depth[i]);
            return text;
        }
    }
    return {};
}

std::string describe(const Triangle& t)
{
    std::string s;
    for (const Corner& c : t) {
        char text[160];
        std::snprintf(text, sizeof text, "(%.9g, %.9g, %.9g, %.9g, %.9g) ", c.x, c.y, c.z, c.u, c.v);
        s += text;
    }
    return s;
}

// Screen-space triangles of every size inside a width x height target.
Triangle random_screen_triangle(std::mt19937& rng, int32_t width, int32_t height)
{
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    const int kind = static_cast<int>(rng() % 6);
    Triangle t;
    float cx = unit(rng) * w, cy = unit(rng) * h;
    float size = 0;
    switch (kind) {
    case 0: size = 0.05f + unit(rng) * 2; break;   // sub-pixel to tiny
    case 1: size = 2 + unit(rng) * 14; break;      // small
    case 2: size = 16 + unit(rng) * 50; break;     // spans across 16-pixel blocks
    default: size = w; break;                      // anywhere
    }
    const float base_z = 0.2f + unit(rng) * unit(rng) * 200;
    for (Corner& c : t) {
        if (kind == 5) {  // sliver: two corners close together
            c.x = cx + (unit(rng) - 0.5f) * size;
            c.y = cy + (unit(rng) - 0.5f) * 2;
        } else {
            c.x = cx + (unit(rng) - 0.5f) * size;
            c.y = cy + (unit(rng) - 0.5f) * size;
        }
        c.x = std::min(std::max(c.x, -0.99f), w - 0.01f);
        c.y = std::min(std::max(c.y, -0.99f), h);
        // Depth: equal, gently or steeply varying.
        switch (rng() % 3) {
        case 0: c.z = base_z; break;
        case 1: c.z = base_z * (1 + 0.2f * unit(rng)); break;
        default: c.z = 0.15f + unit(rng) * unit(rng) * 300; break;
        }
        c.u = (unit(rng) - 0.5f) * 1200;
        c.v = (unit(rng) - 0.5f) * 1200;
    }
    if (rng() % 8 == 0) {  // a corner on an integer row or column
        t[0].y = std::max(std::floor(t[0].y), 0.0f);
        t[1].x = std::max(std::floor(t[1].x), 0.0f);
    }
    if (rng() % 16 == 0) {  // horizontal edge
        t[2].y = t[1].y;
    }
    if (rng() % 40 == 0) {  // no area
        t[2].x = t[0].x + (t[1].x - t[0].x) * 0.5f;
        t[2].y = t[0].y + (t[1].y - t[0].y) * 0.5f;
    }
    if (rng() % 2) {
        std::swap(t[1], t[2]);  // the other winding
    }
    return t;
}

// View size, how many triangles and meshes to check at that size, and
// whether the fills draw sixteen pixels at a time (where the processor can).
struct Case {
    int32_t width, height;
    int triangles, meshes;
    bool wide;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.width << "x" << c.height << ", " << c.triangles << " triangles, " << c.meshes << " meshes"
        << (c.wide ? ", wide spans" : ", plain spans");
}

// Chooses the plain or the wide spans for one test.
class BitExact : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        saved_ = raster_wide_spans;
        if (GetParam().wide && !raster_wide_spans) {
            GTEST_SKIP() << "the processor has no wide spans";
        }
        raster_wide_spans = GetParam().wide;
    }
    void TearDown() override { raster_wide_spans = saved_; }
    bool saved_ = false;
};

// Clears the engine's picture and depth and the reference's alike.
void start_over(reference::View& ref, std::vector<uint32_t>& pixels)
{
    std::fill(pixels.begin(), pixels.end(), 0u);
    std::fill(ref.pixels.begin(), ref.pixels.end(), 0u);
    std::fill(ref.depth.begin(), ref.depth.end(), 0.0f);
    engine_clear_depth();
}

// Fills `count` triangles made by next(rng), textured and flat in turn,
// into the engine and into the reference alike (both cleared every
// `restart` triangles) and compares the pictures and depths after each.
template <class Next>
void check_fills(int32_t width, int32_t height, uint32_t seed, int count, int restart, Next next)
{
    EngineScope scope(width, height);
    ASSERT_NE(scope.result, 0);
    std::mt19937 rng(seed);
    const std::unique_ptr<Texture> tex(random_texture(rng));
    reference::View ref = reference::make_view(width, height);
    std::vector<uint32_t> pixels(ref.pixels.size(), 0);
    for (int n = 0; n < count; ++n) {
        if (n % restart == 0) start_over(ref, pixels);
        const Triangle t = next(rng);
        TestFace face(vtx(t[0].x, t[0].y, t[0].z, t[0].u, t[0].v), vtx(t[1].x, t[1].y, t[1].z, t[1].u, t[1].v),
                      vtx(t[2].x, t[2].y, t[2].z, t[2].u, t[2].v));
        if (n % 2 == 0) {
            engine.current_texture = tex.get();
            fill_textured(face.face, pixels.data());
            reference::fill_textured(ref, t, *tex);
        } else {
            const uint32_t colour = rng() & 0xFFFFFF;
            fill_flat(face.face, pixels.data(), colour);
            reference::fill_flat(ref, t, colour);
        }
        const std::string diff = compare(ref, pixels.data());
        ASSERT_TRUE(diff.empty()) << "triangle " << n << " " << describe(t) << "\n" << diff;
    }
}

TEST_P(BitExact, FillsMatchTheReference)
{
    const auto [width, height, triangles, meshes, wide] = GetParam();
    check_fills(width, height, 1234 + width, triangles, 250,
                [&](std::mt19937& rng) { return random_screen_triangle(rng, width, height); });
}

// Faces whose 1/z along a row steps by exactly half an ulp (a rounding
// tie, which rounds to even) or crosses 1.0 (where the ulp halves): right
// angles with power-of-two legs at whole pixels, and 1/z = 1 + k / 2^18 (or
// 2^27) at the corners, so that the gradients are short binary fractions.
// Stepping 1/z by anything but one rounded addition at a time shows here.
TEST_P(BitExact, DepthStepsThatTieOrCrossAPowerOfTwo)
{
    const auto [width, height, triangles, meshes, wide] = GetParam();
    check_fills(width, height, 99 + width, triangles / 4, 50, [&](std::mt19937& rng) {
        const float legs[] = {16.0f, 32.0f, 64.0f};
        const float across = legs[rng() % 3], down = legs[rng() % 3] / 2;
        const float x0 = static_cast<float>(1 + rng() % static_cast<uint32_t>(width - 66));
        const float y0 = static_cast<float>(1 + rng() % static_cast<uint32_t>(height - 34));
        // Steps of whole and half ulps, or (the finer unit) of less than one.
        const float unit = rng() % 3 ? 0x1p-18f : 0x1p-27f;
        auto z = [&rng, unit] { return 1.0f / (1.0f + static_cast<float>(static_cast<int>(rng() % 81) - 40) * unit); };
        Triangle t = {Corner{x0, y0, z(), 0, 0}, Corner{x0 + across, y0, z(), 300, 20},
                      Corner{x0, y0 + down, z(), 10, 280}};
        if (rng() % 2) std::swap(t[1], t[2]);
        return t;
    });
}

// Camera-space triangles of every kind: inside, across the frustum planes,
// across all four at once, near and behind the eye, corners at z = 0.1.
Triangle random_camera_triangle(std::mt19937& rng, float hx, float hy)
{
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    auto signed_unit = [&] { return unit(rng) * 2 - 1; };
    Triangle t;
    const int kind = static_cast<int>(rng() % 8);
    const float cz = 0.5f + unit(rng) * unit(rng) * 80;
    const float cx = signed_unit() * hx * cz, cy = signed_unit() * hy * cz;
    for (int k = 0; k < 3; ++k) {
        Corner& c = t[k];
        switch (kind) {
        case 0: {  // small, inside or near an edge
            const float s = (0.05f + unit(rng) * 30) * cz / 160;
            c.x = cx + signed_unit() * s;
            c.y = cy + signed_unit() * s;
            c.z = cz * (1 + 0.05f * signed_unit());
            break;
        }
        case 1: {  // anywhere inside, corners at their own depths
            c.z = 0.3f + unit(rng) * 100;
            c.x = signed_unit() * hx * c.z;
            c.y = signed_unit() * hy * c.z;
            break;
        }
        case 2: {  // across some planes
            c.z = 0.2f + unit(rng) * 60;
            c.x = signed_unit() * 2 * hx * c.z;
            c.y = signed_unit() * 2 * hy * c.z;
            break;
        }
        case 3: {  // huge, across every plane
            c.z = 0.5f + unit(rng) * 30;
            c.x = signed_unit() * 25 * hx * c.z;
            c.y = signed_unit() * 25 * hy * c.z;
            break;
        }
        case 4: {  // near the eye
            c.z = 0.02f + unit(rng) * 0.8f;
            c.x = signed_unit() * 1.5f * hx * c.z;
            c.y = signed_unit() * 1.5f * hy * c.z;
            if (k == 2) c.z = 0.5f + unit(rng) * 20;
            break;
        }
        case 5: {  // corners at, just above and just below z = 0.1
            const float choices[] = {0.1f, std::nextafter(0.1f, 1.0f), std::nextafter(0.1f, 0.0f),
                                     0.1f + unit(rng) * 1e-4f, 0.1f - unit(rng) * 1e-4f};
            c.z = (k == 2 || rng() % 2) ? choices[rng() % 5] : 1 + unit(rng) * 10;
            c.x = signed_unit() * 1.2f * hx * c.z;
            c.y = signed_unit() * 1.2f * hy * c.z;
            break;
        }
        case 6: {  // partly or wholly behind the eye
            c.z = signed_unit() * 20;
            c.x = signed_unit() * 30;
            c.y = signed_unit() * 30;
            break;
        }
        default: {  // on a frustum plane exactly, or crossing one side only
            c.z = 1 + unit(rng) * 40;
            c.x = (k == 0 ? hx : signed_unit() * 1.3f * hx) * c.z;
            c.y = signed_unit() * 0.9f * hy * c.z;
            break;
        }
        }
        c.u = signed_unit() * 3;
        c.v = signed_unit() * 3;
    }
    return t;
}

Matrix4 random_camera(std::mt19937& rng)
{
    std::uniform_real_distribution<float> angle(-3.14159f, 3.14159f), offset(-30.0f, 30.0f);
    Matrix4 m;
    matrix_identity(m);
    matrix_translate(m, offset(rng), offset(rng), offset(rng));
    matrix_rotate_y(m, angle(rng));
    matrix_rotate_x(m, angle(rng));
    matrix_rotate_z(m, angle(rng));
    return m;
}

TEST_P(BitExact, MeshPipelineMatchesTheReference)
{
    const auto [width, height, triangles, meshes, wide] = GetParam();
    EngineScope scope(width, height);
    ASSERT_NE(scope.result, 0);
    std::mt19937 rng(777 + height);
    Texture* tex = random_texture(rng);
    reference::View ref = reference::make_view(width, height);
    std::vector<uint32_t> pixels(ref.pixels.size(), 0);
    engine_clear_depth();
    const float hx = (width - 2.0f) / (2.0f * engine.focal_x);
    const float hy = (height - 4.0f) / (2.0f * engine.focal_y);

    int outcomes[3] = {0, 0, 0};
    int near_skips = 0, many_pieces = 0;
    for (int n = 0; n < meshes; ++n) {
        if (n % 300 == 0) start_over(ref, pixels);
        // Identity camera for a third (exact camera-space corners, z = 0.1
        // exactly), a moving camera for the rest.
        Matrix4 model, camera;
        matrix_identity(model);
        matrix_identity(camera);
        const bool moved = n % 3 != 0;
        if (moved) camera = random_camera(rng);
        const int faces = 1 + static_cast<int>(rng() % 3);
        std::vector<Vertex> vertices(3 * faces);
        std::vector<Face> face_list(faces);
        std::vector<Triangle> tris;
        for (int f = 0; f < faces; ++f) {
            Triangle t = random_camera_triangle(rng, hx, hy);
            tris.push_back(t);
            for (int k = 0; k < 3; ++k) {
                Corner c = t[k];
                if (moved) {  // camera space -> world through the camera matrix
                    const float* m = camera.m;
                    const Corner w{c.x * m[0] + c.y * m[4] + c.z * m[8] + m[12],
                                   c.x * m[1] + c.y * m[5] + c.z * m[9] + m[13],
                                   c.x * m[2] + c.y * m[6] + c.z * m[10] + m[14], c.u, c.v};
                    c = w;
                }
                vertices[3 * f + k] = vtx(c.x, c.y, c.z, c.u, c.v);
                face_list[f].corner[k] = &vertices[3 * f + k];
            }
            face_list[f].material = 0;
            // Statistics of what the cases exercise (camera-space corners).
            std::vector<Triangle> pieces;
            const int r = reference::clip(t, ref.frustum, pieces);
            ++outcomes[r];
            many_pieces += pieces.size() > 10;
            for (const Triangle& p : pieces) {
                for (const Corner& c : p) {
                    if (!(static_cast<double>(c.z) > 0.1)) {
                        ++near_skips;
                        break;
                    }
                }
            }
        }
        Mesh mesh{};
        mesh.face_count = faces;
        // Some meshes claim fewer vertices than their faces use: those
        // corners are transformed face by face.
        mesh.vertex_count = n % 7 == 0 ? faces : 3 * faces;
        mesh.faces = face_list.data();
        mesh.vertices = vertices.data();
        const Texture* texture = (n % 2 == 0) ? tex : nullptr;
        const uint32_t colour = rng() & 0xFFFFFF;
        if (n % 5 == 4) {
            const float scale = (n % 10 == 4) ? 1100.0f : 37.5f;
            render_mesh_scaled(model, camera, mesh, pixels.data(), colour, texture, scale);
            reference::render_mesh(ref, model, camera, mesh, colour, texture, scale, true);
        } else {
            render_mesh(model, camera, mesh, pixels.data(), colour, texture);
            reference::render_mesh(ref, model, camera, mesh, colour, texture, 256.0f, false);
        }
        const std::string diff = compare(ref, pixels.data());
        if (!diff.empty()) {
            std::string all;
            for (const Triangle& t : tris) all += describe(t) + "\n";
            FAIL() << "mesh " << n << (moved ? " (moved camera)" : "") << "\n" << all << diff;
        }
    }
    // Every kind of outcome occurs often (about 2 faces per mesh).
    EXPECT_GT(outcomes[0], meshes / 20);
    EXPECT_GT(outcomes[1], meshes / 4);
    EXPECT_GT(outcomes[2], meshes / 3);
    EXPECT_GT(near_skips, meshes / 60);
    EXPECT_GT(many_pieces, 0);
    delete tex;
}

INSTANTIATE_TEST_SUITE_P(Sizes, BitExact,
                         ::testing::Values(Case{160, 120, 4000, 6000, false}, Case{131, 97, 4000, 6000, false},
                                           Case{256, 384, 1500, 2500, false}, Case{160, 120, 4000, 6000, true},
                                           Case{131, 97, 4000, 6000, true}, Case{256, 384, 1500, 2500, true}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height) +
                                    (info.param.wide ? "Wide" : "Plain");
                         });

}  // namespace
