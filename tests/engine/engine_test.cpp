// The engine context, the clipper's pool, the bitmap font and the fills'
// depth and shade with exact numbers. (The focal length, the frustum, the
// clipper's cuts and which rows and columns a fill writes are checked bit
// for bit against the reference renderer.)
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "assets/font.h"
#include "engine/clip.h"
#include "engine/raster.h"
#include "engine/render.h"
#include "engine_test_util.h"

namespace {

constexpr uint32_t untouched = 0xFF000000u;  // no fill writes a top byte

TEST(EngineContext, DepthFontReleaseAndReinit)
{
    ScratchWorkingDirectory scratch;
    std::vector<uint32_t> font(65536, 0);
    font[5] = 0xABCDEF;
    ASSERT_TRUE(write_tex_file("fonts.TEX", font));  // found in any letter case
    ASSERT_NE(engine_init(400, 300), 0);
    ASSERT_NE(engine.font_texture, nullptr);
    EXPECT_EQ(engine.font_texture->pixels[5], 0xABCDEFu);
    // A second init without release replaces the context and reads the font again.
    font[5] = 0x010203;
    ASSERT_TRUE(write_tex_file("fonts.TEX", font));
    ASSERT_NE(engine_init(37, 23), 0);
    EXPECT_EQ(engine.font_texture->pixels[5], 0x010203u);
    EXPECT_EQ(engine.focal_x, 29);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(engine.work_face.corner[k], engine.work_vertices[k]);
    engine_fill_depth(0.25f);
    for (int i = 0; i < 37 * 23; ++i) ASSERT_EQ(engine.depth_buffer[i], 0.25f);
    engine_clear_depth();
    const std::vector<float> zeros(37 * 23, 0.0f);
    EXPECT_EQ(std::memcmp(engine.depth_buffer, zeros.data(), 37 * 23 * 4), 0);  // every byte zero

    engine_release();
    EXPECT_EQ(engine.font_texture, nullptr);
    EXPECT_EQ(engine.depth_buffer, nullptr);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(engine.frustum[k], nullptr);
    engine_release();  // twice is harmless, and so is drawing now
    engine_clear_depth();
    engine_fill_depth(1.0f);
    TestFace t({-1, -1, 5}, {1, -1, 5}, {0, 1, 5});
    Mesh mesh{};
    mesh.face_count = 1;
    mesh.faces = &t.face;
    Matrix4 id;
    matrix_identity(id);
    std::vector<uint32_t> target(37 * 23, untouched);
    render_mesh(id, id, mesh, target.data(), 0xFFFFFF, nullptr);
    render_mesh_scaled(id, id, mesh, target.data(), 0xFFFFFF, nullptr, 2.0f);
    EXPECT_EQ(target, std::vector<uint32_t>(37 * 23, untouched));

    std::remove("fonts.TEX");  // no font: the engine still works
    EngineScope scope(20, 20);
    EXPECT_NE(scope.result, 0);
    EXPECT_EQ(engine.font_texture, nullptr);
    EXPECT_NE(engine.depth_buffer, nullptr);
}

TEST(Clip, PoolHoldsTheFifteenCutsOfOneFace)
{
    // Cut by hand without emptying the pool: the worst case of one face
    // (fifteen cuts of four records) fits, a sixteenth cut is refused.
    Plane right{-1, 0, 1, 0};
    TestFace t({0, 0, 4}, {8, 0, 4}, {0, 2, 4});
    clip_pool_reset();
    int cuts = 0;
    for (int n = 0; n < 20; ++n) cuts += clip_against_plane(t.face, right).count == 2;
    EXPECT_EQ(cuts, 15);
    clip_pool_reset();
    EXPECT_EQ(clip_against_plane(t.face, right).count, 2);

    // (The list's sixteen pieces: the mesh pipeline's bit-exact test draws
    // faces cut into more than ten.)
}

TEST(Font, GlyphsFollowTheLayoutAndAreClipped)
{
    ScratchWorkingDirectory scratch;
    std::mt19937 rng(51);
    std::vector<uint32_t> font(65536);
    for (uint32_t& p : font) p = (rng() % 3 == 0) ? (rng() & 0xFFFFFF) : 0;
    ASSERT_TRUE(write_tex_file("Fonts.tex", font));
    EngineScope scope(64, 48);
    // Slot and group column of a byte; glyph pixel (i, j) is texture
    // element (slot * 9 + i) * 256 + group + j.
    const auto place = [](unsigned char c, int& slot, int& group) {
        const char* punctuation = ".%,()=-'!/";
        const char* at = c != 0 ? std::strchr(punctuation, c) : nullptr;
        slot = c == '"' ? 17 : at ? 10 + static_cast<int>(at - punctuation) : 0;
        group = slot != 0 ? 18 : 27;
        if (c >= 'A' && c <= 'Z') slot = c - 'A', group = 0;
        if (c >= 'a' && c <= 'z') slot = c - 'a', group = 9;
        if (c >= '0' && c <= '9') slot = c - '0', group = 18;
    };
    // The buffer lies inside a larger block: nothing may land outside it.
    std::vector<uint32_t> block(64 * 48 + 64), want(64 * 48);
    uint32_t* got = block.data() + 32;
    for (int n = 0; n < 600; ++n) {
        std::string text;
        for (int k = static_cast<int>(rng() % 5); k > 0; --k) text += static_cast<char>(1 + rng() % 255);
        const int x = static_cast<int>(rng() % 100) - 20, y = static_cast<int>(rng() % 70) - 12;
        std::fill(block.begin(), block.end(), 0u);
        std::fill(want.begin(), want.end(), 0u);
        draw_text(text.c_str(), x, y, 64, 48, 0x5A5A5A, got);
        draw_text("AAAA", INT32_MIN, 5, 64, 48, 0x5A5A5A, got);
        draw_glyph(INT32_MAX, INT32_MIN, 64, 48, 'A', 0x5A5A5A, got);
        for (size_t k = 0; k < text.size(); ++k) {
            int slot, group;
            place(static_cast<unsigned char>(text[k]), slot, group);
            for (int i = 0; i < 8; ++i) {
                for (int j = 0; j < 9; ++j) {
                    const int px = x + 8 * static_cast<int>(k) + i, py = y + 1 + j;
                    if (px > 0 && px < 64 && py > 0 && py < 48 && font[size_t((slot * 9 + i) * 256 + group + j)] != 0) {
                        want[size_t(py * 64 + px)] = 0x5A5A5A;
                    }
                }
            }
        }
        ASSERT_TRUE(std::equal(want.begin(), want.end(), got)) << "'" << text << "' at " << x << "," << y;
        ASSERT_EQ(std::count(block.begin(), block.end(), 0u),
                  64 * 48 + 64 - std::count(want.begin(), want.end(), 0x5A5A5Au));
    }
    engine_release();  // no font: nothing is drawn
    std::fill(block.begin(), block.end(), 0u);
    draw_text("AB", 10, 10, 64, 48, 0xFFFFFF, got);
    EXPECT_EQ(std::count(block.begin(), block.end(), 0u), 64 * 48 + 64);
}

// Corners inside: -1 < x < width, -1 < y <= height; any other face is
// refused whole, flat or textured.
TEST(Fill, FacesReachingOutsideTheTargetAreRefused)
{
    const float faces[][6] = {{-0.99f, -0.99f, 63.99f, -0.99f, 63.99f, 48}, {-1.5f, 2, 20, 2, 5, 20},
                              {5, 2, 64, 2, 5, 20}, {5, 2, 20, 2, 5, 48.5f}, {5, 2, NAN, 2, 5, 20}};
    EngineScope scope(64, 48);
    Texture texture;
    engine.current_texture = &texture;
    for (const auto& f : faces) {
        const bool inside = &f == &faces[0];
        TestFace t({f[0], f[1], 5}, {f[2], f[3], 5}, {f[4], f[5], 5});
        std::vector<uint32_t> px(64 * 48, untouched);
        engine_clear_depth();
        fill_flat(t.face, px.data(), 0xFFFFFF);
        EXPECT_EQ(std::count(px.begin(), px.end(), untouched) < 64 * 48, inside) << f[0] << "," << f[2] << "," << f[5];
        engine_clear_depth();
        EXPECT_EQ(fill_textured(t.face, px.data()), inside ? 1 : 0) << f[0] << "," << f[2] << "," << f[5];
    }
}

TEST(Fill, DepthIsStrictAndFlatShadeFollowsTheSlope)
{
    EngineScope scope(64, 48);
    TestFace t({2, 2, 4}, {50, 3, 4}, {10, 40, 4});  // 1/z = 0.25 all over
    Texture texture;
    for (uint32_t& p : texture.pixels) p = 0x445566;
    engine.current_texture = &texture;
    std::vector<uint32_t> px(64 * 48, untouched);
    engine_fill_depth(0.25f);  // equal 1/z is not nearer
    fill_flat(t.face, px.data(), 0xFA3232);
    EXPECT_EQ(fill_textured(t.face, px.data()), 1);
    EXPECT_EQ(std::count(px.begin(), px.end(), untouched), 64 * 48);
    engine_fill_depth(std::nextafter(0.25f, 0.0f));
    // Parallel to the screen: factor cos(atan(1.1388)) makes 0xFA3232 0xA42020.
    fill_flat(t.face, px.data(), 0xFA3232);
    const long drawn = 64 * 48 - std::count(px.begin(), px.end(), untouched);
    EXPECT_GT(drawn, 500);
    EXPECT_EQ(std::count(px.begin(), px.end(), 0xA42020u), drawn);
    EXPECT_EQ(std::count(engine.depth_buffer, engine.depth_buffer + 64 * 48, 0.25f), drawn);
    engine_fill_depth(std::nextafter(0.25f, 0.0f));
    EXPECT_EQ(fill_textured(t.face, px.data()), 1);
    EXPECT_EQ(std::count(px.begin(), px.end(), 0x445566u), drawn);

    EXPECT_EQ(shade_colour(0xFA3232, 0.5f), 0x7D1919u);
    EXPECT_EQ(shade_colour(0x0A0B0C, 0.999f), 0x090A0Bu);
    EXPECT_EQ(shade_colour(0x808080, 2.0f), 0u);  // 256 keeps its low 8 bits
    EXPECT_EQ(shade_colour(0xFF00000A, 1.0f), 0x0Au);
}

}  // namespace
