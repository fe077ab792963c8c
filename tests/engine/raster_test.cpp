// Triangle fills: row and column coverage, edge set-up, gradients, depth
// rule, shading and texel addressing.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/engine.h"
#include "engine/raster.h"
#include "engine_test_util.h"

namespace {

constexpr uint32_t untouched = 0xFF000000u;  // no fill writes a top byte

struct Canvas {
    int32_t width, height;
    std::vector<uint32_t> pixels;
    // Also clears the depth buffer unless asked not to.
    explicit Canvas(bool clear_depth = true, int32_t w = 64, int32_t h = 48)
        : width(w), height(h), pixels(static_cast<size_t>(w) * h, untouched)
    {
        if (clear_depth) {
            engine_clear_depth();
        }
    }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool written(int x, int y) const { return at(x, y) != untouched; }
    int count() const
    {
        int n = 0;
        for (uint32_t p : pixels) n += p != untouched;
        return n;
    }
    // The written columns of one row as [first, last], or {-1, -1}.
    std::pair<int, int> row_span(int y) const
    {
        int first = -1, last = -1;
        for (int x = 0; x < width; ++x) {
            if (written(x, y)) {
                if (first < 0) first = x;
                last = x;
            }
        }
        return {first, last};
    }
};

class Raster : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(engine_init(64, 48), 0); }
    void TearDown() override { engine_release(); }
};

TEST_F(Raster, RowCoversColumnsAfterTheLeftUpToTheRight)
{
    {
        Canvas c;
        TestFace t(vtx(10, 0, 5), vtx(30, 0, 5), vtx(10, 20, 5));  // right edge x = 30 - y
        fill_flat(t.face, c.pixels.data(), 0x00FF00);
        EXPECT_EQ(c.row_span(10), std::make_pair(11, 20));
        EXPECT_EQ(c.row_span(0), std::make_pair(11, 30));
        EXPECT_EQ(c.row_span(19), std::make_pair(11, 11));
        EXPECT_EQ(c.row_span(20), std::make_pair(-1, -1));
    }
    {
        Canvas c;
        TestFace t(vtx(10.5f, 0, 5), vtx(30.5f, 0, 5), vtx(10.5f, 20, 5));
        fill_flat(t.face, c.pixels.data(), 0x00FF00);
        EXPECT_EQ(c.row_span(10), std::make_pair(11, 20));
    }
    {
        Canvas c;  // left and right truncate to the same column everywhere
        TestFace t(vtx(10.2f, 0, 5), vtx(10.8f, 0, 5), vtx(10.2f, 20, 5));
        fill_flat(t.face, c.pixels.data(), 0x00FF00);
        EXPECT_EQ(c.count(), 0);
    }
}

TEST_F(Raster, RowsFromCeilOfTopToBelowBottom)
{
    {
        Canvas c;
        TestFace t(vtx(5, 2, 5), vtx(40, 2, 5), vtx(8, 5, 5));
        fill_flat(t.face, c.pixels.data(), 0x0000FF);
        EXPECT_EQ(c.row_span(1).first, -1);
        EXPECT_EQ(c.row_span(2), std::make_pair(6, 40));
        EXPECT_NE(c.row_span(3).first, -1);
        EXPECT_NE(c.row_span(4).first, -1);
        EXPECT_EQ(c.row_span(5).first, -1);
    }
    {
        Canvas c;
        TestFace t(vtx(5, 3.2f, 5), vtx(50, 3.5f, 5), vtx(8, 3.9f, 5));
        fill_flat(t.face, c.pixels.data(), 0x0000FF);
        EXPECT_EQ(c.count(), 0);
        EXPECT_EQ(build_edge_chains(t.face), 0);
    }
}

TEST_F(Raster, SetUpEdgeInSixteenSixteen)
{
    TestFace t(vtx(1.5f, 2.25f, 1), vtx(5.5f, 6.25f, 1), vtx(0, 0, 1));
    EdgeStep e{};
    ASSERT_EQ(setup_edge(t.face, 0, 1, e), 1);
    EXPECT_EQ(e.y, 3);
    EXPECT_EQ(e.rows, 4);                  // rows 3, 4, 5, 6
    EXPECT_EQ(e.x, 147456);                // (1.5 + 0.75) * 65536
    EXPECT_EQ(e.dx, 65536);
    // Negative slope truncates toward zero: -1/3 * 65536 = -21845.33.
    TestFace s(vtx(10, 0, 1), vtx(9, 3, 1), vtx(0, 0, 1));
    ASSERT_EQ(setup_edge(s.face, 0, 1, e), 1);
    EXPECT_EQ(e.dx, -21845);
    EXPECT_EQ(e.x, 655360);
    EXPECT_EQ(e.rows, 3);
    // An edge within one row band covers nothing and leaves out alone.
    TestFace flat(vtx(3, 4.1f, 1), vtx(9, 4.9f, 1), vtx(0, 0, 1));
    EdgeStep keep{7, 7, 7, 7};
    EXPECT_EQ(setup_edge(flat.face, 0, 1, keep), 0);
    EXPECT_EQ(keep.x, 7);
    EXPECT_EQ(keep.y, 7);
    EXPECT_EQ(keep.rows, 7);
    EXPECT_EQ(keep.dx, 7);
}

TEST_F(Raster, HorizontalTopEdgeGetsNoEdge)
{
    TestFace t(vtx(0, 2, 5), vtx(10, 2, 5), vtx(5, 8, 5));
    ASSERT_EQ(build_edge_chains(t.face), 1);
    const RasterState& rs = engine.raster;
    // Top is corner 0 (first of the equal y), bottom corner 2.
    // Chain B: 0 -> 1 (no rows), 1 -> 2. Chain A: 2 -> 0.
    ASSERT_EQ(rs.chain_b_count, 1);
    ASSERT_EQ(rs.chain_a_count, 1);
    EXPECT_EQ(rs.chain_a[0].y, 2);
    EXPECT_EQ(rs.chain_b[0].y, 2);
    EXPECT_EQ(rs.chain_b[0].x, 10 * 65536);
    EXPECT_EQ(rs.chain_a[0].x, 0);
    EXPECT_EQ(rs.chain_a[0].rows, 6);
}

TEST_F(Raster, ChainAIsReadFromTheTopDown)
{
    // Top corner 1, bottom corner 0, corner 2 in between. Chain B: 1 -> 2,
    // 2 -> 0 in that order; chain A: the single edge 1 -> 0 ... and for top
    // 0, bottom 2 with corner 1 between, chain A is made 2 -> 0 only.
    TestFace t(vtx(5, 20, 5), vtx(6, 1, 5), vtx(30, 9.5f, 5));
    ASSERT_EQ(build_edge_chains(t.face), 1);
    const RasterState& rs = engine.raster;
    ASSERT_EQ(rs.chain_b_count, 2);
    EXPECT_EQ(rs.chain_b[0].y, 1);
    EXPECT_EQ(rs.chain_b[1].y, 10);
    ASSERT_EQ(rs.chain_a_count, 1);
    EXPECT_EQ(rs.chain_a[0].y, 1);
    EXPECT_EQ(rs.chain_a[0].rows, 19);
    // Top 0, bottom 1, corner 2 in between: chain A made from 1 -> 2 (edge
    // 2 to 1), then 2 -> 0 (edge 0 to 2); the last made comes first.
    TestFace u(vtx(5, 1, 5), vtx(6, 20, 5), vtx(30, 9.5f, 5));
    ASSERT_EQ(build_edge_chains(u.face), 1);
    ASSERT_EQ(rs.chain_a_count, 2);
    EXPECT_EQ(rs.chain_a[0].y, 1);
    EXPECT_EQ(rs.chain_a[0].rows, 9);
    EXPECT_EQ(rs.chain_a[1].y, 10);
    EXPECT_EQ(rs.chain_a[1].rows, 10);
    ASSERT_EQ(rs.chain_b_count, 1);
}

TEST_F(Raster, ZeroAreaDrawsNothing)
{
    Canvas c;
    TestFace t(vtx(1, 1, 5), vtx(21, 11, 5), vtx(41, 21, 5));  // one line
    EXPECT_EQ(flat_gradients(t.face), 0);
    EXPECT_EQ(texture_gradients(t.face), 0);
    fill_flat(t.face, c.pixels.data(), 0xFFFFFF);
    Texture tex{};
    engine.current_texture = &tex;
    EXPECT_EQ(fill_textured(t.face, c.pixels.data()), 0);
    EXPECT_EQ(c.count(), 0);
}

TEST_F(Raster, DepthRuleIsStrictlyGreater)
{
    TestFace t(vtx(2, 2, 4), vtx(50, 3, 4), vtx(10, 40, 4));  // 1/z = 0.25 everywhere
    Canvas c;
    engine_fill_depth(0.25f);
    fill_flat(t.face, c.pixels.data(), 0xFFFFFF);
    EXPECT_EQ(c.count(), 0);
    engine_fill_depth(std::nextafter(0.25f, 0.0f));
    fill_flat(t.face, c.pixels.data(), 0xFFFFFF);
    const int drawn = c.count();
    EXPECT_GT(drawn, 500);
    for (int i = 0; i < 64 * 48; ++i) {
        if (c.pixels[i] != untouched) {
            EXPECT_EQ(engine.depth_buffer[i], 0.25f);
        }
    }
    // Drawn again at the same depth: nothing changes.
    Canvas again(false);
    fill_flat(t.face, again.pixels.data(), 0x00FF00);
    EXPECT_EQ(again.count(), 0);
    // Nearer (z = 2) replaces it; farther (z = 8) does not.
    TestFace nearer(vtx(2, 2, 2), vtx(50, 3, 2), vtx(10, 40, 2));
    TestFace farther(vtx(2, 2, 8), vtx(50, 3, 8), vtx(10, 40, 8));
    Canvas third(false);
    fill_flat(farther.face, third.pixels.data(), 0x00FF00);
    EXPECT_EQ(third.count(), 0);
    fill_flat(nearer.face, third.pixels.data(), 0x00FF00);
    EXPECT_EQ(third.count(), drawn);
}

TEST_F(Raster, TexturedDepthRuleIsStrictlyGreater)
{
    static Texture tex;
    for (uint32_t& p : tex.pixels) p = 0x445566;
    engine.current_texture = &tex;
    TestFace t(vtx(2, 2, 4, 0, 0), vtx(50, 3, 4, 300, 0), vtx(10, 40, 4, 0, 300));
    Canvas c;
    engine_fill_depth(0.25f);
    EXPECT_EQ(fill_textured(t.face, c.pixels.data()), 1);  // drawn means filled, not visible
    EXPECT_EQ(c.count(), 0);
    engine_fill_depth(std::nextafter(0.25f, 0.0f));
    fill_textured(t.face, c.pixels.data());
    EXPECT_GT(c.count(), 500);
    EXPECT_EQ(c.at(10, 10), 0x445566u);
}

TEST_F(Raster, ShadeColourScalesEachChannel)
{
    EXPECT_EQ(shade_colour(0xFA3232, 0.5f), 0x7D1919u);
    EXPECT_EQ(shade_colour(0xFFFFFF, 1.0f), 0xFFFFFFu);
    EXPECT_EQ(shade_colour(0x123456, 0.0f), 0u);
    EXPECT_EQ(shade_colour(0xFF00000A, 1.0f), 0x0Au);        // top byte dropped
    EXPECT_EQ(shade_colour(0x808080, 2.0f), 0u);             // 256 keeps its low 8 bits
    EXPECT_EQ(shade_colour(0x0A0B0C, 0.999f), 0x090A0Bu);    // truncation
}

TEST_F(Raster, FaceParallelToTheScreenIsShadedByCosAtan1_1388)
{
    TestFace t(vtx(2, 2, 7), vtx(50, 3, 7), vtx(10, 40, 7));
    ASSERT_EQ(flat_gradients(t.face), 1);
    EXPECT_NEAR(engine.raster.face_angle, std::atan(1.1388), 1e-6);
    Canvas c;
    fill_flat(t.face, c.pixels.data(), 0xFA3232);
    EXPECT_EQ(c.at(10, 10), 0xA42020u);
}

TEST_F(Raster, FaceAngleIsZeroForTheReferenceSlope)
{
    // Depth falling by 0.7853 per column and 0.3535 per row.
    auto z = [](float x, float y) { return 100.0f - 0.7853f * x - 0.3535f * y; };
    TestFace t(vtx(2, 2, z(2, 2)), vtx(50, 3, z(50, 3)), vtx(10, 40, z(10, 40)));
    ASSERT_EQ(flat_gradients(t.face), 1);
    EXPECT_NEAR(engine.raster.face_angle, 0.0f, 1e-4f);
    // Steeper faces get larger angles, below pi / 2.
    TestFace steep(vtx(2, 2, 5), vtx(50, 3, 5000), vtx(10, 40, 5));
    ASSERT_EQ(flat_gradients(steep.face), 1);
    EXPECT_GT(engine.raster.face_angle, 1.5f);
    EXPECT_LT(engine.raster.face_angle, 1.5707964f);
}

TEST_F(Raster, GradientsInterpolateTheCorners)
{
    TestFace t(vtx(2, 2, 4, 10, 200), vtx(50, 3, 8, 90, 20), vtx(10, 40, 2, 50, 100));
    ASSERT_EQ(texture_gradients(t.face), 1);
    const RasterState& rs = engine.raster;
    for (const Vertex& v : t.v) {
        EXPECT_NEAR(rs.w.origin + v.x * rs.w.per_column + v.y * rs.w.per_row, 1 / v.z, 1e-6f);
        EXPECT_NEAR(rs.uw.origin + v.x * rs.uw.per_column + v.y * rs.uw.per_row, v.u / v.z, 1e-4f);
        EXPECT_NEAR(rs.vw.origin + v.x * rs.vw.per_column + v.y * rs.vw.per_row, v.v / v.z, 1e-4f);
    }
    EXPECT_EQ(rs.w_step16, 16 * rs.w.per_column);
    EXPECT_EQ(rs.uw_step16, 16 * rs.uw.per_column);
    EXPECT_EQ(rs.vw_step16, 16 * rs.vw.per_column);
}

// At a constant 1/z of 1 the texel coordinates are the corners' u and v
// interpolated exactly, so each written pixel shows which texel it read:
// the column advances by one per pixel across the 16-pixel blocks and
// their remainders, and coordinates beyond 255 or below 0 wrap (u 300 is
// column 44, v -1.5 is row 254).
TEST_F(Raster, TexelAddressStepsOnePerPixelAndWrapsEvery256)
{
    static Texture tex;
    for (int i = 0; i < 65536; ++i) tex.pixels[i] = static_cast<uint32_t>(i);
    engine.current_texture = &tex;
    Canvas c;
    // u = 290 + x, v = y - 1.5 at pixel (x, y).
    TestFace t(vtx(0, 0, 1, 290, -1.5f), vtx(63, 0, 1, 353, -1.5f), vtx(0, 47, 1, 290, 45.5f));
    ASSERT_EQ(fill_textured(t.face, c.pixels.data()), 1);
    EXPECT_EQ(c.at(10, 0), 254u * 256 + 44);
    for (int y = 0; y < 47; ++y) {
        const auto [first, last] = c.row_span(y);
        ASSERT_EQ(first, 1) << y;
        EXPECT_NEAR(last, 63 - 63 * y / 47, 1) << y;  // up to the hypotenuse
        for (int x = first; x <= last; ++x) {
            const uint32_t row = static_cast<uint32_t>(y + 254) % 256, column = static_cast<uint32_t>(290 + x) % 256;
            ASSERT_EQ(c.at(x, y), row * 256 + column) << x << ", " << y;
        }
    }
}

TEST_F(Raster, BothWindingsFillTheSamePixels)
{
    std::mt19937 rng(31);
    std::uniform_real_distribution<float> x(0, 63.9f), y(0, 47.9f), z(0.5f, 50);
    for (int n = 0; n < 500; ++n) {
        TestFace t(vtx(x(rng), y(rng), z(rng)), vtx(x(rng), y(rng), z(rng)), vtx(x(rng), y(rng), z(rng)));
        TestFace r(t.v[0], t.v[2], t.v[1]);
        Canvas a, b;
        fill_flat(t.face, a.pixels.data(), 0x808080);
        engine_clear_depth();
        fill_flat(r.face, b.pixels.data(), 0x808080);
        for (size_t i = 0; i < a.pixels.size(); ++i) {
            ASSERT_EQ(a.pixels[i] != untouched, b.pixels[i] != untouched) << n << " pixel " << i;
        }
    }
}

TEST_F(Raster, FillsStayInsideTheTriangle)
{
    // Every written pixel centre... is within a pixel of the triangle, and
    // the count is close to the area.
    std::mt19937 rng(32);
    std::uniform_real_distribution<float> x(0, 63.9f), y(0, 47.9f);
    for (int n = 0; n < 300; ++n) {
        TestFace t(vtx(x(rng), y(rng), 3), vtx(x(rng), y(rng), 3), vtx(x(rng), y(rng), 3));
        Canvas c;
        fill_flat(t.face, c.pixels.data(), 0x808080);
        const double area = 0.5 * std::fabs((t.v[1].x - t.v[0].x) * (t.v[2].y - t.v[0].y) -
                                            (t.v[2].x - t.v[0].x) * (t.v[1].y - t.v[0].y));
        double perimeter = 0;
        for (int k = 0; k < 3; ++k) {
            perimeter += std::hypot(t.v[(k + 1) % 3].x - t.v[k].x, t.v[(k + 1) % 3].y - t.v[k].y);
        }
        EXPECT_NEAR(c.count(), area, perimeter + 2) << n;
        float minx = 99, maxx = -1, miny = 99, maxy = -1;
        for (const Vertex& v : t.v) {
            minx = std::min(minx, v.x); maxx = std::max(maxx, v.x);
            miny = std::min(miny, v.y); maxy = std::max(maxy, v.y);
        }
        for (int py = 0; py < 48; ++py) {
            for (int px = 0; px < 64; ++px) {
                if (!c.written(px, py)) continue;
                EXPECT_GT(px, static_cast<int>(minx));
                EXPECT_LE(px, static_cast<int>(maxx));
                EXPECT_GE(py, std::ceil(miny));
                EXPECT_LT(py, maxy);
            }
        }
    }
}

// An edge crossing one row boundary within a hair of height has a slope far
// beyond 16.16; it is only sampled on its first row, so its step is never
// used and the fill is still right.
TEST_F(Raster, NearlyHorizontalEdgeCrossingARow)
{
    Canvas c;
    TestFace t(vtx(4, 2.9999998f, 5), vtx(60, 3.0000002f, 5), vtx(4, 20, 5));
    EdgeStep e{};
    ASSERT_EQ(setup_edge(t.face, 0, 1, e), 1);
    EXPECT_EQ(e.rows, 1);
    EXPECT_EQ(e.dx, INT32_MIN);  // beyond the 32-bit range
    fill_flat(t.face, c.pixels.data(), 0xFFFFFF);
    // Row 3: from x = 4 to about 4 + 56 * 0.5 on the edge.
    const auto span = c.row_span(3);
    EXPECT_EQ(span.first, 5);
    EXPECT_NEAR(span.second, 32, 1);
    EXPECT_EQ(c.row_span(2).first, -1);
}

// A face whose depth changes steeply: 1/z extrapolated one pixel beyond the
// span can reach zero or below; the texel coordinates then leave the 32-bit
// range without upsetting the pixels inside.
TEST_F(Raster, SteepDepthKeepsTexelCoordinatesDefined)
{
    static Texture tex;
    for (int i = 0; i < 65536; ++i) tex.pixels[i] = static_cast<uint32_t>(i);
    engine.current_texture = &tex;
    Canvas c;
    TestFace t(vtx(1, 1, 0.11f, 0, 0), vtx(63, 1, 5000, 1e6f, 0), vtx(1, 47, 0.11f, 0, 1e6f));
    EXPECT_EQ(fill_textured(t.face, c.pixels.data()), 1);
    EXPECT_GT(c.count(), 1000);
}

TEST_F(Raster, FacesReachingOutsideTheTargetAreNotDrawn)
{
    Canvas c;
    TestFace left(vtx(-1.5f, 2, 5), vtx(20, 2, 5), vtx(5, 20, 5));
    TestFace right(vtx(5, 2, 5), vtx(64, 2, 5), vtx(5, 20, 5));
    TestFace below(vtx(5, 2, 5), vtx(20, 2, 5), vtx(5, 48.5f, 5));
    TestFace nan(vtx(5, 2, 5), vtx(NAN, 2, 5), vtx(5, 20, 5));
    fill_flat(left.face, c.pixels.data(), 0xFFFFFF);
    fill_flat(right.face, c.pixels.data(), 0xFFFFFF);
    fill_flat(below.face, c.pixels.data(), 0xFFFFFF);
    fill_flat(nan.face, c.pixels.data(), 0xFFFFFF);
    EXPECT_EQ(c.count(), 0);
    // The widest faces that fit: corners on x = -0.99, x = 63.99, y = 48
    // reach columns 1 to 63 and rows 0 to 47.
    TestFace upper(vtx(-0.99f, -0.99f, 5), vtx(63.99f, -0.99f, 5), vtx(63.99f, 48, 5));
    TestFace lower(vtx(-0.99f, -0.99f, 5), vtx(63.99f, 48, 5), vtx(-0.99f, 48, 5));
    fill_flat(upper.face, c.pixels.data(), 0xFFFFFF);
    fill_flat(lower.face, c.pixels.data(), 0xFFFFFF);
    EXPECT_TRUE(c.written(1, 0));
    EXPECT_TRUE(c.written(63, 0));
    EXPECT_TRUE(c.written(63, 47));
    EXPECT_TRUE(c.written(1, 47));
    for (int y = 0; y < 48; ++y) {
        EXPECT_FALSE(c.written(0, y));
    }
}

}  // namespace
