// Frustum planes and the clipping of faces into triangle pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "engine/clip.h"
#include "engine/engine.h"
#include "engine_test_util.h"

namespace {

float distance(const Plane& p, const Vertex& v) { return p.a * v.x + p.b * v.y + p.c * v.z + p.d; }

// A frustum with simple coefficients (a 90 degree pyramid, x <= z,
// x >= -z, y >= -z, y <= z), so that corners can lie exactly on a plane.
struct SimpleFrustum {
    Plane planes[4] = {{-1, 0, 1, 0}, {1, 0, 1, 0}, {0, 1, 1, 0}, {0, -1, 1, 0}};
    Plane* slots[4] = {&planes[0], &planes[1], &planes[2], &planes[3]};
};

struct V3 {
    double x, y, z;
};
V3 sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 pos(const Vertex& v) { return {v.x, v.y, v.z}; }
V3 normal_of(const Face& f) { return cross(sub(pos(*f.corner[1]), pos(*f.corner[0])), sub(pos(*f.corner[2]), pos(*f.corner[0]))); }
double area_of(const Face& f)
{
    const V3 n = normal_of(f);
    return 0.5 * std::sqrt(dot(n, n));
}

// Area of the face clipped by the planes, polygon by polygon, in double.
double clipped_area(const Face& face, Plane* const planes[4])
{
    std::vector<V3> poly = {pos(*face.corner[0]), pos(*face.corner[1]), pos(*face.corner[2])};
    for (int k = 0; k < 4; ++k) {
        const Plane& p = *planes[k];
        std::vector<V3> next;
        for (size_t i = 0; i < poly.size(); ++i) {
            const V3 a = poly[i], b = poly[(i + 1) % poly.size()];
            const double sa = p.a * a.x + p.b * a.y + p.c * a.z + p.d;
            const double sb = p.a * b.x + p.b * b.y + p.c * b.z + p.d;
            if (sa >= 0) next.push_back(a);
            if ((sa >= 0) != (sb >= 0)) {
                const double t = sa / (sa - sb);
                next.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t});
            }
        }
        poly = next;
        if (poly.empty()) return 0;
    }
    V3 sum{0, 0, 0};
    for (size_t i = 1; i + 1 < poly.size(); ++i) {
        const V3 n = cross(sub(poly[i], poly[0]), sub(poly[i + 1], poly[0]));
        sum = {sum.x + n.x, sum.y + n.y, sum.z + n.z};
    }
    return 0.5 * std::sqrt(dot(sum, sum));
}

TEST(Clip, PlaneFromPointsIsTheNormalisedCrossProduct)
{
    Plane p;
    plane_from_points(p, 1, 2, 3, 2, 2, 3, 1, 3, 3);  // (1,0,0) x (0,1,0) = +z
    EXPECT_EQ(p.a, 0.0f);
    EXPECT_EQ(p.b, 0.0f);
    EXPECT_EQ(p.c, 1.0f);
    EXPECT_EQ(p.d, -3.0f);
    plane_from_points(p, 0, 0, 0, 0, 3, 0, 4, 0, 0);  // (0,3,0) x (4,0,0) = (0,0,-12)
    EXPECT_EQ(p.c, -1.0f);
    plane_from_points(p, 0, 0, 5, 3, 0, 5, 0, 0, 9);  // (3,0,0) x (0,0,4) = (0,-12,0)
    EXPECT_EQ(p.b, -1.0f);
    EXPECT_EQ(p.d, 0.0f);
}

TEST(Clip, FrustumPlanesPointInwardAndPassThroughTheEye)
{
    Plane* f[4];
    frustum_build(f, 198.0f, 296.0f, 160.0f, 160.0f);
    const float hx = 198.0f / 320.0f, hy = 296.0f / 320.0f;
    // Right (-1, 0, hx), left (1, 0, hx), top (0, 1, hy), bottom (0, -1, hy).
    const float expect[4][3] = {{-1, 0, hx}, {1, 0, hx}, {0, 1, hy}, {0, -1, hy}};
    for (int k = 0; k < 4; ++k) {
        ASSERT_NE(f[k], nullptr);
        const float n = std::sqrt(expect[k][0] * expect[k][0] + expect[k][1] * expect[k][1] +
                                  expect[k][2] * expect[k][2]);
        EXPECT_NEAR(f[k]->a, expect[k][0] / n, 1e-6f);
        EXPECT_NEAR(f[k]->b, expect[k][1] / n, 1e-6f);
        EXPECT_NEAR(f[k]->c, expect[k][2] / n, 1e-6f);
        EXPECT_EQ(f[k]->d, 0.0f);
        EXPECT_NEAR(f[k]->a * f[k]->a + f[k]->b * f[k]->b + f[k]->c * f[k]->c, 1.0f, 1e-6f);
        // The view axis is inside every plane.
        EXPECT_GT(distance(*f[k], vtx(0, 0, 1)), 0.0f);
        std::free(f[k]);
    }
}

TEST(Clip, FaceInsideReturnsOneAndTheFaceItself)
{
    SimpleFrustum fr;
    TestFace t(vtx(0, 0, 5), vtx(1, 0, 5), vtx(0, 1, 6));
    ClipList out;
    ASSERT_EQ(clip_face(t.face, fr.slots, out), 1);
    ASSERT_EQ(out.count, 1);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(out.faces[0].corner[k], &t.v[k]);
    }
}

TEST(Clip, CornerExactlyOnAPlaneCountsAsInside)
{
    SimpleFrustum fr;
    TestFace t(vtx(5, 0, 5), vtx(0, 0, 5), vtx(0, 1, 5));
    ASSERT_EQ(distance(fr.planes[0], t.v[0]), 0.0f);
    ClipList out;
    EXPECT_EQ(clip_face(t.face, fr.slots, out), 1);
    // A face lying in the plane is inside.
    TestFace in_plane(vtx(5, 0, 5), vtx(3, 1, 3), vtx(4, -1, 4));
    EXPECT_EQ(clip_face(in_plane.face, fr.slots, out), 1);
}

TEST(Clip, OneCornerOnThePlaneAndTwoOutsideIsOutside)
{
    SimpleFrustum fr;
    TestFace t(vtx(5, 0, 5), vtx(9, 0, 5), vtx(9, 1, 5));
    ClipList out;
    EXPECT_EQ(clip_face(t.face, fr.slots, out), 0);
}

TEST(Clip, FaceBehindTheEyeIsDropped)
{
    EngineScope scope(200, 300);
    TestFace t(vtx(0, 0, -5), vtx(1, 0, -5), vtx(0, 1, -2));
    ClipList out;
    EXPECT_EQ(clip_face(t.face, engine.frustum, out), 0);
    TestFace far_behind(vtx(-100, -100, -1), vtx(100, -100, -1), vtx(0, 100, -1));
    EXPECT_EQ(clip_face(far_behind.face, engine.frustum, out), 0);
}

TEST(Clip, OneCornerBeyondTheRightPlaneGivesTwoPieces)
{
    SimpleFrustum fr;
    // Corner 1 is outside x <= z; corners 0 and 2 inside.
    TestFace t(vtx(0, 0, 4, 10, 20), vtx(8, 0, 4, 90, 60), vtx(0, 2, 4, 30, 40));
    ClipList out;
    ASSERT_EQ(clip_face(t.face, fr.slots, out), 2);
    ASSERT_EQ(out.count, 2);
    // o = 1, j = 2, k = 0: pieces (V0, A, V2) and (B, A, V0) with A on
    // V2 -> V1 and B on V0 -> V1.
    const Face& p0 = out.faces[0];
    const Face& p1 = out.faces[1];
    EXPECT_EQ(p0.corner[1], p1.corner[1]);  // A shared
    EXPECT_EQ(p0.corner[0], p1.corner[2]);  // V[k] shared
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_NE(p0.corner[k], &t.v[i]);  // only new records
            EXPECT_NE(p1.corner[k], &t.v[i]);
        }
    }
    const Vertex& v0 = *p0.corner[0];
    const Vertex& v2 = *p0.corner[2];
    EXPECT_EQ(v0.x, 0.0f); EXPECT_EQ(v0.y, 0.0f); EXPECT_EQ(v0.u, 10.0f); EXPECT_EQ(v0.v, 20.0f);
    EXPECT_EQ(v2.x, 0.0f); EXPECT_EQ(v2.y, 2.0f); EXPECT_EQ(v2.u, 30.0f); EXPECT_EQ(v2.v, 40.0f);
    const Vertex& a = *p0.corner[1];
    const Vertex& b = *p1.corner[0];
    // A: from (0,2,4) to (8,0,4): s = 4 and -4, t = 0.5.
    EXPECT_EQ(a.x, 4.0f); EXPECT_EQ(a.y, 1.0f); EXPECT_EQ(a.z, 4.0f);
    EXPECT_EQ(a.u, 60.0f); EXPECT_EQ(a.v, 50.0f);
    // B: from (0,0,4) to (8,0,4): t = 0.5.
    EXPECT_EQ(b.x, 4.0f); EXPECT_EQ(b.y, 0.0f); EXPECT_EQ(b.u, 50.0f); EXPECT_EQ(b.v, 40.0f);
    EXPECT_EQ(distance(fr.planes[0], a), 0.0f);
    EXPECT_EQ(distance(fr.planes[0], b), 0.0f);
    // Winding kept.
    const V3 n = normal_of(t.face);
    EXPECT_GT(dot(normal_of(p0), n), 0);
    EXPECT_GT(dot(normal_of(p1), n), 0);
}

TEST(Clip, TwoCornersBeyondTheRightPlaneGiveOnePiece)
{
    SimpleFrustum fr;
    // Corner 2 inside; p = 1, q = 0: piece (A on V1 -> V2, V2, B on V0 -> V2).
    TestFace t(vtx(9, 0, 3, 0, 0), vtx(9, 1, 3, 0, 0), vtx(1, 0, 3, 80, 8));
    ClipList out;
    ASSERT_EQ(clip_face(t.face, fr.slots, out), 2);
    ASSERT_EQ(out.count, 1);
    const Face& p = out.faces[0];
    EXPECT_EQ(p.corner[1]->x, 1.0f);
    EXPECT_EQ(p.corner[1]->u, 80.0f);
    EXPECT_NE(p.corner[1], &t.v[2]);
    // A from (9,1,3) to (1,0,3): s = -6 and 2, t = 0.75 -> (3, 0.25, 3).
    EXPECT_EQ(p.corner[0]->x, 3.0f);
    EXPECT_EQ(p.corner[0]->y, 0.25f);
    EXPECT_EQ(p.corner[0]->u, 60.0f);
    EXPECT_EQ(p.corner[0]->v, 6.0f);
    // B from (9,0,3) to (1,0,3).
    EXPECT_EQ(p.corner[2]->x, 3.0f);
    EXPECT_EQ(p.corner[2]->y, 0.0f);
    EXPECT_GT(dot(normal_of(p), normal_of(t.face)), 0);
}

TEST(Clip, ClipAgainstPlaneCountsACornerOnThePlaneAsInsideOnly)
{
    Plane right{-1, 0, 1, 0};
    clip_pool_reset();
    // Corner 0 on the plane, corners 1 and 2 outside: one inside.
    TestFace t(vtx(2, 0, 2, 7, 7), vtx(5, 0, 2), vtx(5, 1, 2));
    ClipResult r = clip_against_plane(t.face, right);
    ASSERT_EQ(r.count, 1);
    // Both new corners coincide with corner 0 (t = 1).
    EXPECT_EQ(r.faces[0].corner[0]->x, 2.0f);
    EXPECT_EQ(r.faces[0].corner[2]->x, 2.0f);
    EXPECT_EQ(r.faces[0].corner[1]->u, 7.0f);
    // All inside or on: the face unchanged.
    TestFace in(vtx(2, 0, 2), vtx(0, 0, 2), vtx(0, 1, 2));
    r = clip_against_plane(in.face, right);
    ASSERT_EQ(r.count, 1);
    EXPECT_EQ(r.faces[0].corner[0], &in.v[0]);
    // All outside.
    TestFace out(vtx(3, 0, 2), vtx(4, 0, 2), vtx(4, 1, 2));
    EXPECT_EQ(clip_against_plane(out.face, right).count, 0);
    clip_pool_reset();
}

TEST(Clip, CuttingByHandWithoutEmptyingThePoolNeverOverruns)
{
    Plane right{-1, 0, 1, 0};
    TestFace t(vtx(0, 0, 4), vtx(8, 0, 4), vtx(0, 2, 4));  // one corner outside: four records a cut
    clip_pool_reset();
    int cut = 0;
    for (int n = 0; n < 100; ++n) {
        cut += clip_against_plane(t.face, right).count == 2;
    }
    EXPECT_GE(cut, 15);  // the worst case of one face fits
    EXPECT_LT(cut, 100);
    clip_pool_reset();
    EXPECT_EQ(clip_against_plane(t.face, right).count, 2);
    clip_pool_reset();
}

TEST(Clip, EdgeIntersectSetsOnlyPositionAndMapping)
{
    Plane right{-1, 0, 1, 0};
    Vertex out{-1, -1, -1, -1, -1};
    const Vertex from{0, 2, 4, 0, 100}, to{12, 6, 4, 64, 0};
    edge_intersect(out, from, to, right);  // s = 4, -8: t = 1/3
    const float t = 4.0f / (4.0f - -8.0f);
    EXPECT_EQ(out.x, 0 + 12 * t);
    EXPECT_EQ(out.y, 2 + 4 * t);
    EXPECT_EQ(out.z, 4.0f);
    EXPECT_EQ(out.u, 64 * t);
    EXPECT_EQ(out.v, 100 + -100 * t);
}

TEST(Clip, FirstPieceBeyondTheNextPlaneDropsTheWholeFace)
{
    SimpleFrustum fr;
    // Cut by the right plane (corner 1 outside), one piece of which lies
    // wholly below the bottom plane while the face straddles it.
    // o = 1, j = 2, k = 0: the second piece (B, A, V0) lies below y = 5.
    TestFace t(vtx(4, 8, 5), vtx(10, 30, 5), vtx(0, 4, 5));
    ClipList out;
    int codes[4];
    for (int k = 0; k < 4; ++k) {
        int in = 0, outn = 0;
        for (int i = 0; i < 3; ++i) {
            const float s = distance(fr.planes[k], t.v[i]);
            in += s >= 0;
            outn += s <= 0;
        }
        codes[k] = in == 3 ? 1 : outn == 3 ? 2 : 4;
    }
    ASSERT_EQ(codes[0], 4);
    ASSERT_EQ(codes[3], 4);
    clip_pool_reset();
    ClipResult first = clip_against_plane(t.face, fr.planes[0]);
    ASSERT_EQ(first.count, 2);
    bool one_beyond = false;
    for (int p = 0; p < 2; ++p) {
        int outside = 0;
        for (int i = 0; i < 3; ++i) outside += distance(fr.planes[3], *first.faces[p].corner[i]) < 0;
        one_beyond = one_beyond || outside == 3;
    }
    ASSERT_TRUE(one_beyond);
    EXPECT_EQ(clip_face(t.face, fr.slots, out), 0);
}

TEST(Clip, RandomFacesPiecesStayInsideKeepWindingAndCoverTheClippedArea)
{
    EngineScope scope(200, 300);
    std::mt19937 rng(21);
    std::uniform_real_distribution<float> xy(-60, 60), z(-10, 40), uv(-2, 2);
    int clipped = 0, dropped = 0, most = 0;
    for (int n = 0; n < 20000; ++n) {
        TestFace t;
        for (Vertex& v : t.v) v = vtx(xy(rng), xy(rng), z(rng), uv(rng), uv(rng));
        t.link();
        if (area_of(t.face) < 1e-2) continue;
        ClipList out;
        const int32_t r = clip_face(t.face, engine.frustum, out);
        const double expect = clipped_area(t.face, engine.frustum);
        if (r == 0) {
            ++dropped;
            continue;
        }
        ASSERT_GE(out.count, 1);
        ASSERT_LE(out.count, clip_list_capacity);
        most = std::max(most, static_cast<int>(out.count));
        if (r == 1) {
            EXPECT_NEAR(expect, area_of(t.face), 1e-3 * area_of(t.face));
            continue;
        }
        ++clipped;
        const V3 n0 = normal_of(t.face);
        double total = 0;
        for (int p = 0; p < out.count; ++p) {
            const Face& f = out.faces[p];
            for (int k = 0; k < 3; ++k) {
                for (int i = 0; i < 3; ++i) ASSERT_NE(f.corner[k], &t.v[i]);
                for (int pl = 0; pl < 4; ++pl) {
                    EXPECT_GE(distance(*engine.frustum[pl], *f.corner[k]), -1e-3f * std::fabs(f.corner[k]->z) - 1e-4f);
                }
            }
            const double a = area_of(f);
            total += a;
            if (a > 1e-3) {
                EXPECT_GT(dot(normal_of(f), n0), 0) << n;
            }
        }
        // The pieces tile the polygon the frustum leaves of the face.
        EXPECT_NEAR(total, expect, 2e-3 * area_of(t.face) + 1e-3) << n;
    }
    EXPECT_GT(clipped, 1000);
    EXPECT_GT(dropped, 1000);
    EXPECT_GT(most, 4);
}

TEST(Clip, PiecesInterpolateMappingWithTheSameParameterAsPosition)
{
    // u and v are affine functions of x and y on every piece corner.
    EngineScope scope(200, 300);
    std::mt19937 rng(22);
    std::uniform_real_distribution<float> xy(-80, 80), z(1, 40);
    for (int n = 0; n < 2000; ++n) {
        TestFace t;
        for (Vertex& v : t.v) {
            v = vtx(xy(rng), xy(rng), 10);
            v.z = z(rng);
            v.u = 3 * v.x - 2 * v.y + v.z;
            v.v = v.z * 0.5f;
        }
        t.link();
        ClipList out;
        if (clip_face(t.face, engine.frustum, out) != 2) continue;
        for (int p = 0; p < out.count; ++p) {
            for (int k = 0; k < 3; ++k) {
                const Vertex& v = *out.faces[p].corner[k];
                EXPECT_NEAR(v.u, 3 * v.x - 2 * v.y + v.z, 2e-3f * (std::fabs(v.x) + std::fabs(v.y) + 1));
                EXPECT_NEAR(v.v, v.z * 0.5f, 1e-4f * v.z + 1e-5f);
            }
        }
    }
}

TEST(Clip, ListHoldsMoreThanTenPieces)
{
    // A large face across all four planes can need more than the ten pieces
    // of the original capacity; the list has room for every case.
    EngineScope scope(200, 300);
    std::mt19937 rng(23);
    std::uniform_real_distribution<float> far(-400, 400), z(0.5f, 30);
    int most = 0;
    for (int n = 0; n < 200000 && most <= 10; ++n) {
        TestFace t(vtx(far(rng), far(rng), z(rng)), vtx(far(rng), far(rng), z(rng)),
                   vtx(far(rng), far(rng), z(rng)));
        ClipList out;
        if (clip_face(t.face, engine.frustum, out) == 2) {
            most = std::max(most, static_cast<int>(out.count));
        }
    }
    EXPECT_GT(most, 10);
    EXPECT_LE(most, clip_list_capacity);
}

}  // namespace
