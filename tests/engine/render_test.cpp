// The mesh pipeline: transform, clip, project, fill, border clearing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "engine/engine.h"
#include "engine/render.h"
#include "engine_test_util.h"

namespace {

constexpr uint32_t untouched = 0xFF000000u;

// A mesh owning its vertices and faces.
struct TestMesh {
    std::vector<Vertex> vertices;
    std::vector<Face> faces;
    Mesh mesh{};

    void add(const Vertex& a, const Vertex& b, const Vertex& c)
    {
        vertices.push_back(a);
        vertices.push_back(b);
        vertices.push_back(c);
        faces.push_back(Face{});
    }
    // Two faces: the rectangle x0..x1, y0..y1 at depth z, u and v 0..1.
    void add_rect(float x0, float y0, float x1, float y1, float z)
    {
        add(vtx(x0, y0, z, 0, 0), vtx(x1, y0, z, 1, 0), vtx(x1, y1, z, 1, 1));
        add(vtx(x0, y0, z, 0, 0), vtx(x1, y1, z, 1, 1), vtx(x0, y1, z, 0, 1));
    }
    const Mesh& get()
    {
        for (size_t f = 0; f < faces.size(); ++f) {
            for (int k = 0; k < 3; ++k) faces[f].corner[k] = &vertices[3 * f + k];
        }
        mesh.face_count = static_cast<int32_t>(faces.size());
        mesh.vertex_count = static_cast<int32_t>(vertices.size());
        mesh.faces = faces.empty() ? nullptr : faces.data();
        mesh.vertices = vertices.empty() ? nullptr : vertices.data();
        return mesh;
    }
};

struct Target {
    int32_t width, height;
    std::vector<uint32_t> pixels;
    Target(int32_t w, int32_t h, uint32_t fill = untouched) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Matrix4 identity()
{
    Matrix4 m;
    matrix_identity(m);
    return m;
}

class Render : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(engine_init(200, 300), 0);
        engine_clear_depth();
    }
    void TearDown() override { engine_release(); }
};

TEST_F(Render, EmptyMeshStillClearsTheBorder)
{
    TestMesh empty;
    Target t(200, 300, 0x123456);
    render_mesh(identity(), identity(), empty.get(), t.pixels.data(), 0xFFFFFF, nullptr);
    for (int x = 0; x < 200; ++x) EXPECT_EQ(t.at(x, 0), 0u);
    EXPECT_EQ(t.at(0, 1), 0x123456u);
    EXPECT_EQ(t.at(199, 299), 0x123456u);

    Target s(200, 300, 0x123456);
    render_mesh_scaled(identity(), identity(), empty.get(), s.pixels.data(), 0xFFFFFF, nullptr, 1100.0f);
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 200; ++x) {
            const bool border = y <= 2 || y >= 298 || x <= 1;
            EXPECT_EQ(s.at(x, y), border ? 0u : 0x123456u) << x << "," << y;
        }
    }
}

TEST_F(Render, ProjectionScalesByFocalOverDepthFromTheCentre)
{
    TestMesh m;
    m.add(vtx(1, 1, 10), vtx(3, 1, 10), vtx(1, 4, 20));
    Target t(200, 300);
    render_mesh(identity(), identity(), m.get(), t.pixels.data(), 0xFFFFFF, nullptr);
    // A face needing no clipping is projected in the working vertices.
    EXPECT_EQ(engine.work_vertices[0]->x, 116.0f);
    EXPECT_EQ(engine.work_vertices[0]->y, 166.0f);
    EXPECT_EQ(engine.work_vertices[0]->z, 10.0f);
    EXPECT_EQ(engine.work_vertices[1]->x, 148.0f);
    EXPECT_EQ(engine.work_vertices[2]->y, 182.0f);
    EXPECT_EQ(engine.work_vertices[2]->x, 108.0f);
}

TEST_F(Render, OddSizesUseIntegerHalves)
{
    engine_release();
    ASSERT_NE(engine_init(201, 301), 0);  // focal 160, halves 100 and 150
    engine_clear_depth();
    TestMesh m;
    m.add(vtx(1, 1, 10), vtx(3, 1, 10), vtx(1, 4, 20));
    Target t(201, 301);
    render_mesh(identity(), identity(), m.get(), t.pixels.data(), 0xFFFFFF, nullptr);
    EXPECT_EQ(engine.work_vertices[0]->x, 116.0f);
    EXPECT_EQ(engine.work_vertices[0]->y, 166.0f);
}

TEST_F(Render, ModelAndCameraPlaceTheMesh)
{
    TestMesh m;
    m.add(vtx(-1, -1, 0), vtx(1, -1, 0), vtx(0, 1, 0));
    Matrix4 model = identity();
    matrix_translate(model, 0, 0, 10);
    Matrix4 camera = identity();
    Target centre(200, 300);
    render_mesh(model, camera, m.get(), centre.pixels.data(), 0xFFFFFF, nullptr);
    EXPECT_NE(centre.at(100, 150), untouched);
    // The camera moved 2 units right: the mesh appears 32 pixels left.
    matrix_translate(camera, 2, 0, 0);
    engine_clear_depth();
    Target moved(200, 300);
    render_mesh(model, camera, m.get(), moved.pixels.data(), 0xFFFFFF, nullptr);
    EXPECT_EQ(moved.at(100, 150), untouched);
    EXPECT_NE(moved.at(100 - 32, 150), untouched);
    // Turned half round, the camera sees nothing of it.
    camera = identity();
    matrix_rotate_y(camera, 3.14159265f);
    engine_clear_depth();
    Target behind(200, 300);
    render_mesh(model, camera, m.get(), behind.pixels.data(), 0xFFFFFF, nullptr);
    EXPECT_TRUE(std::all_of(behind.pixels.begin() + 200, behind.pixels.end(), [](uint32_t p) { return p == untouched; }));
}

TEST_F(Render, FillsStayInsideTheFrustumMargins)
{
    // Large faces across every side of the picture.
    std::mt19937 rng(41);
    std::uniform_real_distribution<float> d(-60, 60), z(2, 30);
    Target t(200, 300);
    for (int n = 0; n < 200; ++n) {
        TestMesh m;
        m.add(vtx(d(rng), d(rng), z(rng)), vtx(d(rng), d(rng), z(rng)), vtx(d(rng), d(rng), z(rng)));
        render_mesh(identity(), identity(), m.get(), t.pixels.data(), 0x808080, nullptr);
    }
    int min_x = 999, max_x = -1, min_y = 999, max_y = -1;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (t.at(x, y) == untouched || (y == 0 && t.at(x, y) == 0)) continue;
            min_x = std::min(min_x, x);
            max_x = std::max(max_x, x);
            min_y = std::min(min_y, y);
            max_y = std::max(max_y, y);
        }
    }
    // Columns 2 to width - 1 and rows 2 to height - 3, within a pixel.
    EXPECT_GE(min_x, 1);
    EXPECT_LE(min_x, 2);
    EXPECT_EQ(max_x, 199);
    EXPECT_GE(min_y, 1);
    EXPECT_LE(min_y, 2);
    EXPECT_GE(max_y, 297);
    EXPECT_LE(max_y, 298);
}

TEST_F(Render, CornersWithinATenthOfTheEyeAreNotDrawn)
{
    // Inside the frustum, no clipping needed, but one corner at z <= 0.1.
    TestMesh near;
    near.add(vtx(0, 0, 0.1f * 0.999f), vtx(1, 0, 5), vtx(0, 1, 5));
    Target t(200, 300);
    render_mesh(identity(), identity(), near.get(), t.pixels.data(), 0xFFFFFF, nullptr);
    EXPECT_TRUE(std::all_of(t.pixels.begin() + 200, t.pixels.end(), [](uint32_t p) { return p == untouched; }));
    // z = 0.1f is just above the double 0.1: projected and drawn.
    TestMesh at;
    at.add(vtx(0, 0, 0.1f), vtx(1, 0, 5), vtx(0, 1, 5));
    render_mesh(identity(), identity(), at.get(), t.pixels.data(), 0xFFFFFF, nullptr);
    EXPECT_NE(t.at(105, 155), untouched);
}

TEST_F(Render, TexturedMeshIgnoresColourAndMapsUToColumnsAndVToRows)
{
    static Texture tex;
    for (int r = 0; r < 256; ++r) {
        for (int c = 0; c < 256; ++c) tex.pixels[r * 256 + c] = static_cast<uint32_t>(r << 8 | c);
    }
    TestMesh m;
    m.add_rect(-2, -2, 2, 2, 10);  // screen 68..132, 118..182; u, v 0..1 -> 0..256 texels
    Target a(200, 300), b(200, 300);
    render_mesh(identity(), identity(), m.get(), a.pixels.data(), 0xFF0000, &tex);
    engine_clear_depth();
    render_mesh(identity(), identity(), m.get(), b.pixels.data(), 0x00FF00, &tex);
    EXPECT_EQ(a.pixels, b.pixels);
    // Pixel (100, 150) is the middle: texel about (128, 128); 16 pixels per
    // 64 texels.
    const uint32_t mid = a.at(100, 150);
    EXPECT_NEAR(static_cast<int>(mid & 255), 128, 4);
    EXPECT_NEAR(static_cast<int>(mid >> 8), 128, 4);
    const uint32_t right = a.at(116, 150);
    EXPECT_NEAR(static_cast<int>(right & 255), 192, 4);
    EXPECT_EQ(right >> 8, mid >> 8);
    const uint32_t lower = a.at(100, 166);
    EXPECT_NEAR(static_cast<int>(lower >> 8), 192, 4);
    EXPECT_EQ(lower & 255, mid & 255);
}

TEST_F(Render, FlatMeshIsShadedPerFaceBySlope)
{
    TestMesh m;
    m.add(vtx(-3, -3, 10), vtx(-1, -3, 10), vtx(-3, -1, 10));  // parallel to the screen
    m.add(vtx(1, 1, 10), vtx(3, 1, 14), vtx(1, 3, 10));        // sloping
    Target t(200, 300);
    render_mesh(identity(), identity(), m.get(), t.pixels.data(), 0xFA3232, nullptr);
    EXPECT_EQ(t.at(60, 110), 0xA42020u);
    const uint32_t sloped = t.at(120, 170);
    EXPECT_NE(sloped, untouched);
    EXPECT_NE(sloped, 0xA42020u);
}

TEST_F(Render, ScaledWith256MatchesRenderMeshInsideTheBorder)
{
    static Texture tex;
    std::mt19937 rng(42);
    for (uint32_t& p : tex.pixels) p = rng() & 0xFFFFFF;
    std::uniform_real_distribution<float> d(-40, 40), z(3, 30), uv(-2, 2);
    TestMesh m;
    for (int n = 0; n < 60; ++n) {
        m.add(vtx(d(rng), d(rng), z(rng), uv(rng), uv(rng)), vtx(d(rng), d(rng), z(rng), uv(rng), uv(rng)),
              vtx(d(rng), d(rng), z(rng), uv(rng), uv(rng)));
    }
    Matrix4 camera = identity();
    matrix_rotate_y(camera, 0.2f);
    Target a(200, 300), b(200, 300);
    render_mesh(identity(), camera, m.get(), a.pixels.data(), 0, &tex);
    std::vector<float> depth_a(engine.depth_buffer, engine.depth_buffer + 200 * 300);
    engine_clear_depth();
    render_mesh_scaled(identity(), camera, m.get(), b.pixels.data(), 0, &tex, 256.0f);
    int compared = 0;
    for (int y = 3; y < 298; ++y) {
        for (int x = 2; x < 200; ++x) {
            ASSERT_EQ(a.at(x, y), b.at(x, y)) << x << "," << y;
            compared += a.at(x, y) != untouched;
        }
    }
    EXPECT_GT(compared, 10000);
    EXPECT_TRUE(std::equal(depth_a.begin(), depth_a.end(), engine.depth_buffer));
}

TEST_F(Render, NearerMeshHidesFartherWhateverTheOrder)
{
    TestMesh near_mesh, far_mesh;
    near_mesh.add_rect(-1, -1, 1, 1, 5);
    far_mesh.add_rect(-3, -3, 3, 3, 8);
    Target a(200, 300), b(200, 300);
    render_mesh(identity(), identity(), near_mesh.get(), a.pixels.data(), 0xFF0000, nullptr);
    render_mesh(identity(), identity(), far_mesh.get(), a.pixels.data(), 0x0000FF, nullptr);
    engine_clear_depth();
    render_mesh(identity(), identity(), far_mesh.get(), b.pixels.data(), 0x0000FF, nullptr);
    render_mesh(identity(), identity(), near_mesh.get(), b.pixels.data(), 0xFF0000, nullptr);
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_EQ(a.at(100, 150) & 0xFF, 0u);         // the red, nearer one
    EXPECT_EQ(a.at(100 + 50, 150) >> 16, 0u);     // outside it, the blue one
    EXPECT_NE(a.at(100 + 50, 150), untouched);
}

TEST_F(Render, ClippedFaceDrawsItsPiecesWithoutGaps)
{
    // A face across the right and bottom edges: all covered pixels in the
    // view, no hole along the piece boundaries.
    TestMesh m;
    m.add(vtx(-2, -2, 4), vtx(40, -1, 4), vtx(-1, 60, 4));
    Target t(200, 300);
    render_mesh(identity(), identity(), m.get(), t.pixels.data(), 0xFFFFFF, nullptr);
    for (int y = 80; y < 297; ++y) {
        for (int x = 30; x < 199; ++x) {
            // Everything right of and below the face's near corner is inside it.
            const float sx = (x - 100) / 160.0f * 4, sy = (y - 150) / 160.0f * 4;
            if (sx > -1.5f && sy > -1.5f) {
                ASSERT_NE(t.at(x, y), untouched) << x << "," << y;
            }
        }
    }
}

TEST_F(Render, NothingIsDrawnAfterRelease)
{
    TestMesh m;
    m.add_rect(-1, -1, 1, 1, 5);
    engine_release();
    Target t(200, 300);
    render_mesh(identity(), identity(), m.get(), t.pixels.data(), 0xFFFFFF, nullptr);
    render_mesh_scaled(identity(), identity(), m.get(), t.pixels.data(), 0xFFFFFF, nullptr, 2.0f);
    EXPECT_TRUE(std::all_of(t.pixels.begin(), t.pixels.end(), [](uint32_t p) { return p == untouched; }));
    ASSERT_NE(engine_init(200, 300), 0);  // for TearDown
}

}  // namespace
