// Engine context: sizes, projection scale, frustum, depth buffer, font texture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/clip.h"
#include "engine/engine.h"
#include "engine_test_util.h"

namespace {

// The plane through three points the way the engine builds its frustum:
// float cross product and float sum of squares, double root and divisions.
Plane expected_plane(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3,
                     float z3)
{
    const float ux = x2 - x1, uy = y2 - y1, uz = z2 - z1;
    const float wx = x1 - x3, wy = y1 - y3, wz = z1 - z3;
    const float nx = uz * wy - uy * wz, ny = wz * ux - uz * wx, nz = uy * wx - ux * wy;
    const double len = std::sqrt(static_cast<double>(nx * nx + ny * ny + nz * nz));
    Plane p;
    p.a = static_cast<float>(nx / len);
    p.b = static_cast<float>(ny / len);
    p.c = static_cast<float>(nz / len);
    p.d = -(p.a * x1 + p.b * y1 + p.c * z1);
    return p;
}

void expect_plane_eq(const Plane& got, const Plane& want)
{
    EXPECT_EQ(got.a, want.a);
    EXPECT_EQ(got.b, want.b);
    EXPECT_EQ(got.c, want.c);
    EXPECT_EQ(got.d, want.d);
}

TEST(EngineContext, Init200x300GivesFocal160AndFrustumFromExtents198And296)
{
    EngineScope scope(200, 300);
    ASSERT_NE(scope.result, 0);
    EXPECT_EQ(engine.width, 200);
    EXPECT_EQ(engine.height, 300);
    EXPECT_EQ(engine.focal_x, 160);
    EXPECT_EQ(engine.focal_y, 160);
    const float hx = 198.0f / (160.0f + 160.0f), hy = 296.0f / (160.0f + 160.0f);
    for (int k = 0; k < 4; ++k) {
        ASSERT_NE(engine.frustum[k], nullptr);
    }
    expect_plane_eq(*engine.frustum[0], expected_plane(0, 0, 0, hx, 0, 1, hx, 1, 1));
    expect_plane_eq(*engine.frustum[1], expected_plane(0, 0, 0, -hx, 1, 1, -hx, 0, 1));
    expect_plane_eq(*engine.frustum[2], expected_plane(0, 0, 0, 0, -hy, 1, 1, -hy, 1));
    expect_plane_eq(*engine.frustum[3], expected_plane(0, 0, 0, 1, hy, 1, 0, hy, 1));
    // Right plane (-1, 0, hx) normalised; all pass through the eye.
    const float n = std::sqrt(1.0f + hx * hx);
    EXPECT_NEAR(engine.frustum[0]->a, -1.0f / n, 1e-6f);
    EXPECT_NEAR(engine.frustum[0]->c, hx / n, 1e-6f);
    EXPECT_NEAR(engine.frustum[3]->b, -1.0f / std::sqrt(1.0f + hy * hy), 1e-6f);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(engine.frustum[k]->d, 0.0f);
    }
}

TEST(EngineContext, FocalIsEightTenthsOfTheWidthTruncated)
{
    const int32_t widths[] = {400, 512, 640, 800, 1024, 200, 256, 320, 1, 3};
    const int32_t focals[] = {320, 409, 512, 640, 819, 160, 204, 256, 0, 2};
    for (int i = 0; i < 10; ++i) {
        EngineScope scope(widths[i], 10);
        EXPECT_EQ(engine.focal_x, focals[i]) << widths[i];
        EXPECT_EQ(engine.focal_y, focals[i]) << widths[i];
    }
}

TEST(EngineContext, WorkFaceUsesTheWorkVertices)
{
    EngineScope scope(64, 48);
    for (int k = 0; k < 3; ++k) {
        ASSERT_NE(engine.work_vertices[k], nullptr);
        EXPECT_EQ(engine.work_face.corner[k], engine.work_vertices[k]);
    }
    EXPECT_NE(engine.work_vertices[0], engine.work_vertices[1]);
    EXPECT_NE(engine.work_vertices[1], engine.work_vertices[2]);
}

TEST(EngineContext, ClearAndFillDepth)
{
    EngineScope scope(37, 23);
    ASSERT_NE(engine.depth_buffer, nullptr);
    engine_fill_depth(0.25f);
    for (int i = 0; i < 37 * 23; ++i) {
        ASSERT_EQ(engine.depth_buffer[i], 0.25f);
    }
    engine_clear_depth();
    for (int i = 0; i < 37 * 23; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &engine.depth_buffer[i], 4);
        ASSERT_EQ(bits, 0u);  // every byte zero, not -0.0
    }
    engine_fill_depth(-3.5f);
    EXPECT_EQ(engine.depth_buffer[0], -3.5f);
    EXPECT_EQ(engine.depth_buffer[37 * 23 - 1], -3.5f);
}

TEST(EngineContext, ReleaseFreesEverythingAndIsSafeTwice)
{
    ScratchWorkingDirectory scratch;
    ASSERT_TRUE(write_tex_file("Fonts.tex", std::vector<uint32_t>(65536, 0x123456)));
    ASSERT_NE(engine_init(50, 40), 0);
    ASSERT_NE(engine.font_texture, nullptr);
    engine_release();
    EXPECT_EQ(engine.font_texture, nullptr);
    EXPECT_EQ(engine.depth_buffer, nullptr);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(engine.frustum[k], nullptr);
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(engine.work_vertices[k], nullptr);
    }
    engine_release();
    engine_clear_depth();  // nothing to clear, nothing happens
    engine_fill_depth(1.0f);
}

TEST(EngineContext, ReinitAtAnotherSizeReadsTheFontAgain)
{
    ScratchWorkingDirectory scratch;
    std::vector<uint32_t> first(65536, 0), second(65536, 0);
    first[5] = 0xABCDEF;
    second[5] = 0x010203;
    second[65535] = 0x00FF00;
    ASSERT_TRUE(write_tex_file("Fonts.tex", first));
    ASSERT_NE(engine_init(400, 300), 0);
    ASSERT_NE(engine.font_texture, nullptr);
    EXPECT_EQ(engine.font_texture->pixels[5], 0xABCDEFu);
    EXPECT_EQ(engine.focal_x, 320);

    ASSERT_TRUE(write_tex_file("Fonts.tex", second));
    engine_release();
    ASSERT_NE(engine_init(200, 300), 0);
    ASSERT_NE(engine.font_texture, nullptr);
    EXPECT_EQ(engine.font_texture->pixels[5], 0x010203u);
    EXPECT_EQ(engine.font_texture->pixels[65535], 0x00FF00u);
    EXPECT_EQ(engine.width, 200);
    EXPECT_EQ(engine.focal_x, 160);
    // The depth buffer has the new size: all of it can be written.
    engine_fill_depth(2.0f);
    EXPECT_EQ(engine.depth_buffer[200 * 300 - 1], 2.0f);
    const float hx = 198.0f / 320.0f;
    expect_plane_eq(*engine.frustum[0], expected_plane(0, 0, 0, hx, 0, 1, hx, 1, 1));
    engine_release();
}

TEST(EngineContext, FontNameIsResolvedWithoutRegardToCase)
{
    ScratchWorkingDirectory scratch;
    std::vector<uint32_t> pixels(65536, 0);
    pixels[0] = 0x445566;
    ASSERT_TRUE(write_tex_file("fonts.TEX", pixels));
    EngineScope scope(20, 20);
    ASSERT_NE(engine.font_texture, nullptr);
    EXPECT_EQ(engine.font_texture->pixels[0], 0x445566u);
}

TEST(EngineContext, MissingFontLeavesFontNullButInitSucceeds)
{
    ScratchWorkingDirectory scratch;
    EngineScope scope(20, 20);
    EXPECT_NE(scope.result, 0);
    EXPECT_EQ(engine.font_texture, nullptr);
    EXPECT_NE(engine.depth_buffer, nullptr);
}

TEST(EngineContext, InitTwiceWithoutReleaseReplacesTheContext)
{
    ASSERT_NE(engine_init(30, 30), 0);
    ASSERT_NE(engine_init(60, 50), 0);  // the first context is released, not leaked
    EXPECT_EQ(engine.width, 60);
    engine_fill_depth(1.0f);
    EXPECT_EQ(engine.depth_buffer[60 * 50 - 1], 1.0f);
    engine_release();
}

}  // namespace
