// The engine's fills and mesh pipeline against the plain reference renderer:
// every pixel and every depth value must be the same, bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/raster.h"
#include "engine/render.h"
#include "engine_test_util.h"
#include "reference_renderer.h"

namespace {

using reference::Corner;
using reference::Triangle;

struct Rng {
    std::mt19937 gen;
    float unit() { return std::uniform_real_distribution<float>(0.0f, 1.0f)(gen); }
    float signed_unit() { return unit() * 2 - 1; }
    uint32_t operator()(uint32_t n) { return gen() % n; }
};

std::string describe(const std::vector<Triangle>& tris)
{
    std::ostringstream s;
    s.precision(9);
    for (const Triangle& t : tris) {
        for (const Corner& c : t) s << "(" << c.x << ", " << c.y << ", " << c.z << ", " << c.u << ", " << c.v << ") ";
        s << "\n";
    }
    return s.str();
}

// The engine's picture and depth against the reference view: the first
// difference, or an empty text.
std::string compare(const reference::View& ref, const std::vector<uint32_t>& pixels)
{
    for (size_t i = 0; i < ref.pixels.size(); ++i) {
        if (pixels[i] != ref.pixels[i] || std::memcmp(&engine.depth_buffer[i], &ref.depth[i], 4) != 0) {
            return "pixel (" + std::to_string(i % ref.width) + ", " + std::to_string(i / ref.width) +
                   "): engine " + std::to_string(pixels[i]) + " depth " + std::to_string(engine.depth_buffer[i]) +
                   ", reference " + std::to_string(ref.pixels[i]) + " depth " + std::to_string(ref.depth[i]);
        }
    }
    return {};
}

// Screen-space triangles of every size inside a width x height target:
// sub-pixel, small, across 16-pixel blocks, anywhere, slivers; corners on
// integer rows and columns, horizontal edges, no area, both windings.
Triangle screen_triangle(Rng& rng, float w, float h)
{
    const int kind = static_cast<int>(rng(6));
    const float sizes[] = {0.05f + rng.unit() * 2, 2 + rng.unit() * 14, 16 + rng.unit() * 50, w, w, w};
    const float cx = rng.unit() * w, cy = rng.unit() * h, size = sizes[kind];
    const float base_z = 0.2f + rng.unit() * rng.unit() * 200;
    Triangle t;
    for (Corner& c : t) {
        c.x = std::min(std::max(cx + (rng.unit() - 0.5f) * size, -0.99f), w - 0.01f);
        c.y = std::min(std::max(cy + (rng.unit() - 0.5f) * (kind == 5 ? 2 : size), -0.99f), h);
        const float depths[] = {base_z, base_z * (1 + 0.2f * rng.unit()), 0.15f + rng.unit() * rng.unit() * 300};
        c.z = depths[rng(3)];
        c.u = rng.signed_unit() * 600;
        c.v = rng.signed_unit() * 600;
    }
    if (rng(8) == 0) {
        t[0].y = std::max(std::floor(t[0].y), 0.0f);
        t[1].x = std::max(std::floor(t[1].x), 0.0f);
    }
    if (rng(16) == 0) t[2].y = t[1].y;
    if (rng(40) == 0) {
        t[2].x = (t[0].x + t[1].x) * 0.5f;
        t[2].y = (t[0].y + t[1].y) * 0.5f;
    }
    if (rng(2)) std::swap(t[1], t[2]);
    return t;
}

// Camera-space triangles: inside, across some or all four side planes, on a
// plane exactly, near the eye (corners at, just above and just below
// z = 0.1) and behind it.
Triangle camera_triangle(Rng& rng, float hx, float hy)
{
    const int kind = static_cast<int>(rng(7));
    const float cz = 0.5f + rng.unit() * rng.unit() * 80;
    const float cx = rng.signed_unit() * hx * cz, cy = rng.signed_unit() * hy * cz;
    const float spread[] = {0, 1, 2, 25, 1.5f, 1.2f};
    Triangle t;
    for (int k = 0; k < 3; ++k) {
        Corner& c = t[k];
        if (kind == 0) {  // small, inside or near an edge
            const float s = (0.05f + rng.unit() * 30) * cz / 160;
            c = {cx + rng.signed_unit() * s, cy + rng.signed_unit() * s, cz * (1 + 0.05f * rng.signed_unit()), 0, 0};
        } else if (kind <= 5) {
            const float near_z[] = {0.1f, std::nextafter(0.1f, 1.0f), std::nextafter(0.1f, 0.0f),
                                    0.1f + rng.unit() * 1e-4f, 0.1f - rng.unit() * 1e-4f};
            const float depth[] = {0, 0.3f + rng.unit() * 100, 0.2f + rng.unit() * 60, 0.5f + rng.unit() * 30,
                                   k == 2 ? 0.5f + rng.unit() * 20 : 0.02f + rng.unit() * 0.8f,
                                   (k == 2 || rng(2)) ? near_z[rng(5)] : 1 + rng.unit() * 10};
            c.z = depth[kind];
            c.x = rng.signed_unit() * spread[kind] * hx * c.z;
            c.y = rng.signed_unit() * spread[kind] * hy * c.z;
        } else if (rng(2)) {  // partly or wholly behind the eye
            c = {rng.signed_unit() * 30, rng.signed_unit() * 30, rng.signed_unit() * 20, 0, 0};
        } else {  // corner 0 on the right plane exactly
            c.z = 1 + rng.unit() * 40;
            c.x = (k == 0 ? hx : rng.signed_unit() * 1.3f * hx) * c.z;
            c.y = rng.signed_unit() * 0.9f * hy * c.z;
        }
        c.u = rng.signed_unit() * 3;
        c.v = rng.signed_unit() * 3;
    }
    return t;
}

// View size, how many triangles and meshes, and whether the fills draw
// sixteen pixels at a time (where the processor can).
struct Case {
    int32_t width, height, triangles, meshes;
    bool wide;
};

class BitExact : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        saved_wide = raster_wide_spans;
        if (GetParam().wide && !raster_wide_spans) GTEST_SKIP() << "the processor has no wide spans";
        raster_wide_spans = GetParam().wide;
        ASSERT_NE(engine_init(GetParam().width, GetParam().height), 0);
        ref = reference::make_view(GetParam().width, GetParam().height);
        for (uint32_t& p : texture.pixels) p = rng.gen() & 0xFFFFFFu;
    }
    void TearDown() override
    {
        engine_release();
        raster_wide_spans = saved_wide;
    }
    // Fills count triangles from next(), textured and flat in turn, into the
    // engine and the reference alike, cleared every `restart`.
    template <class Next>
    void check_fills(int count, int restart, Next next)
    {
        for (int n = 0; n < count; ++n) {
            if (n % restart == 0) start_over();
            const Triangle t = next(n);
            TestFace face({t[0].x, t[0].y, t[0].z, t[0].u, t[0].v}, {t[1].x, t[1].y, t[1].z, t[1].u, t[1].v},
                          {t[2].x, t[2].y, t[2].z, t[2].u, t[2].v});
            if (n % 2 == 0) {
                engine.current_texture = &texture;
                fill_textured(face.face, pixels.data());
                reference::fill_textured(ref, t, texture);
            } else {
                const uint32_t colour = rng.gen() & 0xFFFFFF;
                fill_flat(face.face, pixels.data(), colour);
                reference::fill_flat(ref, t, colour);
            }
            const std::string diff = compare(ref, pixels);
            ASSERT_TRUE(diff.empty()) << "triangle " << n << " " << describe({t}) << diff;
        }
    }
    bool saved_wide = false;
    void start_over()
    {
        pixels.assign(ref.pixels.size(), 0u);
        std::fill(ref.pixels.begin(), ref.pixels.end(), 0u);
        std::fill(ref.depth.begin(), ref.depth.end(), 0.0f);
        engine_clear_depth();
    }
    Rng rng{std::mt19937(1234u + static_cast<uint32_t>(GetParam().width))};
    Texture texture;
    reference::View ref;
    std::vector<uint32_t> pixels;
};

TEST_P(BitExact, FillsMatchTheReference)
{
    const float w = static_cast<float>(GetParam().width), h = static_cast<float>(GetParam().height);
    // First, textured and flat: an edge crossing a row within a hair of
    // height (its step beyond 16.16), and a depth so steep that the texel
    // coordinates leave the 32-bit range.
    const Triangle hair = {{{4, 2.9999998f, 5, 0, 0}, {60, 3.0000002f, 5, 9, 0}, {4, 20, 5, 0, 9}}};
    const Triangle steep = {{{1, 1, 0.11f, 0, 0}, {63, 1, 5000, 1e6f, 0}, {1, 47, 0.11f, 0, 1e6f}}};
    check_fills(GetParam().triangles, 250,
                [&](int n) { return n < 2 ? hair : n < 4 ? steep : screen_triangle(rng, w, h); });
}

// Faces whose 1/z along a row steps by exactly half an ulp (a rounding
// tie) or crosses 1.0 (where the ulp halves): right angles with
// power-of-two legs at whole pixels and 1/z = 1 + k / 2^18 (or 2^27) at the
// corners. Stepping 1/z by anything but one rounded addition at a time
// shows here.
TEST_P(BitExact, DepthStepsThatTieOrCrossAPowerOfTwo)
{
    const uint32_t w = static_cast<uint32_t>(GetParam().width), h = static_cast<uint32_t>(GetParam().height);
    check_fills(GetParam().triangles / 4, 50, [&](int) {
        const float legs[] = {16.0f, 32.0f, 64.0f};
        const float across = legs[rng(3)], down = legs[rng(3)] / 2;
        const float x0 = static_cast<float>(1 + rng(w - 66)), y0 = static_cast<float>(1 + rng(h - 34));
        const float unit = rng(3) ? 0x1p-18f : 0x1p-27f;
        auto z = [&] { return 1.0f / (1.0f + static_cast<float>(static_cast<int>(rng(81)) - 40) * unit); };
        Triangle t = {Corner{x0, y0, z(), 0, 0}, Corner{x0 + across, y0, z(), 300, 20},
                      Corner{x0, y0 + down, z(), 10, 280}};
        if (rng(2)) std::swap(t[1], t[2]);
        return t;
    });
}

TEST_P(BitExact, MeshPipelineMatchesTheReference)
{
    const float hx = (ref.width - 2.0f) / (2.0f * ref.focal), hy = (ref.height - 4.0f) / (2.0f * ref.focal);
    const int meshes = GetParam().meshes;
    int outcomes[3] = {0, 0, 0}, straddled[4] = {0, 0, 0, 0}, near_skips = 0, many_pieces = 0;
    for (int n = 0; n < meshes; ++n) {
        if (n % 300 == 0) start_over();
        // An identity camera for a third (corners exactly as made, z = 0.1
        // included), a turned and moved one for the rest.
        Matrix4 model, camera;
        matrix_identity(model);
        matrix_identity(camera);
        if (n % 3 != 0) {
            matrix_translate(camera, rng.signed_unit() * 30, rng.signed_unit() * 30, rng.signed_unit() * 30);
            matrix_rotate_y(camera, rng.signed_unit() * 3.14159f);
            matrix_rotate_x(camera, rng.signed_unit() * 3.14159f);
            matrix_rotate_z(camera, rng.signed_unit() * 3.14159f);
        }
        const int faces = 1 + static_cast<int>(rng(3));
        std::vector<Vertex> vertices(3 * faces);
        std::vector<Face> face_list(faces);
        std::vector<Triangle> tris;
        for (int f = 0; f < faces; ++f) {
            const Triangle t = camera_triangle(rng, hx, hy);
            tris.push_back(t);
            for (int k = 0; k < 3; ++k) {  // camera space to the world through the camera
                const Corner& c = t[k];
                const float* m = camera.m;
                vertices[3 * f + k] = {c.x * m[0] + c.y * m[4] + c.z * m[8] + m[12],
                                       c.x * m[1] + c.y * m[5] + c.z * m[9] + m[13],
                                       c.x * m[2] + c.y * m[6] + c.z * m[10] + m[14], c.u, c.v};
                face_list[f].corner[k] = &vertices[3 * f + k];
            }
            // What the cases exercise, in camera space.
            for (int p = 0; p < 4; ++p) {
                int in = 0, out = 0;
                for (const Corner& c : t) {
                    const reference::RefPlane& q = ref.frustum[p];
                    const float s = q.a * c.x + q.b * c.y + q.c * c.z + q.d;
                    in += s > 0;
                    out += s < 0;
                }
                straddled[p] += in > 0 && out > 0;
            }
            std::vector<Triangle> pieces;
            ++outcomes[reference::clip(t, ref.frustum, pieces)];
            many_pieces += pieces.size() > 10;
            for (const Triangle& p : pieces) {
                near_skips += std::any_of(p.begin(), p.end(), [](const Corner& c) { return !(c.z > 0.1); });
            }
        }
        Mesh mesh{};
        mesh.face_count = faces;
        // Some meshes claim fewer vertices than their faces use: those
        // corners are transformed face by face.
        mesh.vertex_count = n % 7 == 0 ? faces : 3 * faces;
        mesh.faces = face_list.data();
        mesh.vertices = vertices.data();
        const Texture* tex = (n % 2 == 0) ? &texture : nullptr;
        const uint32_t colour = rng.gen() & 0xFFFFFF;
        if (n % 5 == 4) {
            const float scale = (n % 10 == 4) ? 1100.0f : 37.5f;
            render_mesh_scaled(model, camera, mesh, pixels.data(), colour, tex, scale);
            reference::render_mesh(ref, model, camera, mesh, colour, tex, scale, true);
        } else {
            render_mesh(model, camera, mesh, pixels.data(), colour, tex);
            reference::render_mesh(ref, model, camera, mesh, colour, tex, 256.0f, false);
        }
        const std::string diff = compare(ref, pixels);
        ASSERT_TRUE(diff.empty()) << "mesh " << n << "\n" << describe(tris) << diff;
    }
    // Every kind of outcome occurs often (about two faces per mesh).
    EXPECT_GT(outcomes[0], meshes / 20);
    EXPECT_GT(outcomes[1], meshes / 4);
    EXPECT_GT(outcomes[2], meshes / 3);
    for (int p = 0; p < 4; ++p) EXPECT_GT(straddled[p], meshes / 10) << "plane " << p;
    EXPECT_GT(near_skips, meshes / 60);
    EXPECT_GT(many_pieces, 0);
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
