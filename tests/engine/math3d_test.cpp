// Matrix layout and operations: row vectors, new steps in front, affine inverse.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/math3d.h"
#include "matrix_checks.h"

namespace {

constexpr float pi = 3.14159265358979f;

Matrix4 random_matrix(std::mt19937& rng)
{
    std::uniform_real_distribution<float> d(-3.0f, 3.0f);
    Matrix4 m;
    for (float& e : m.m) {
        e = d(rng);
    }
    return m;
}

// A placement built from rotations and translations, as the game makes them.
Matrix4 random_placement(std::mt19937& rng)
{
    std::uniform_real_distribution<float> angle(-pi, pi), offset(-50.0f, 50.0f);
    Matrix4 m;
    matrix_identity(m);
    matrix_rotate_x(m, angle(rng));
    matrix_translate(m, offset(rng), offset(rng), offset(rng));
    matrix_rotate_y(m, angle(rng));
    matrix_rotate_z(m, angle(rng));
    matrix_translate(m, offset(rng), offset(rng), offset(rng));
    return m;
}

// x' = x m00 + y m10 + z m20 + m30, and so on.
Vec3 transform(const Matrix4& m, Vec3 p)
{
    const float* e = m.m;
    return {p.x * e[0] + p.y * e[4] + p.z * e[8] + e[12], p.x * e[1] + p.y * e[5] + p.z * e[9] + e[13],
            p.x * e[2] + p.y * e[6] + p.z * e[10] + e[14]};
}

void expect_near_matrix(const Matrix4& a, const Matrix4& b, float tolerance)
{
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
    }
}

TEST(Matrix, IdentityWritesAllSixteenElements)
{
    Matrix4 m;
    for (float& e : m.m) {
        e = 7.0f;
    }
    matrix_identity(m);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(m.m[4 * r + c], r == c ? 1.0f : 0.0f);
        }
    }
}

TEST(Matrix, MultiplyIsBTimesAOverAllSixteenElements)
{
    std::mt19937 rng(11);
    for (int n = 0; n < 50; ++n) {
        const Matrix4 a = random_matrix(rng), b = random_matrix(rng);
        Matrix4 r;
        matrix_multiply(a, b, r);
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j) {
                const float expected = b.m[4 * i + 0] * a.m[0 + j] + b.m[4 * i + 1] * a.m[4 + j] +
                                       b.m[4 * i + 2] * a.m[8 + j] + b.m[4 * i + 3] * a.m[12 + j];
                EXPECT_EQ(r.m[4 * i + j], expected);
            }
        }
    }
}

TEST(Matrix, MultiplyResultMayAliasEitherOperand)
{
    std::mt19937 rng(12);
    for (int n = 0; n < 20; ++n) {
        const Matrix4 a = random_matrix(rng), b = random_matrix(rng);
        Matrix4 separate;
        matrix_multiply(a, b, separate);
        Matrix4 into_a = a;
        matrix_multiply(into_a, b, into_a);
        Matrix4 into_b = b;
        matrix_multiply(a, into_b, into_b);
        EXPECT_TRUE(same_matrix(into_a, separate));
        EXPECT_TRUE(same_matrix(into_b, separate));
        Matrix4 square = a, square_separate;
        matrix_multiply(a, a, square_separate);
        matrix_multiply(square, square, square);
        EXPECT_TRUE(same_matrix(square, square_separate));
    }
}

TEST(Matrix, ProductAppliesBFirstThenA)
{
    Matrix4 rotate, move;
    matrix_identity(rotate);
    matrix_rotate_z(rotate, pi / 2);
    matrix_identity(move);
    matrix_translate(move, 5, 0, 0);
    Matrix4 r;
    matrix_multiply(move, rotate, r);  // rotate, then move
    const Vec3 p = transform(r, {1, 0, 0});
    EXPECT_NEAR(p.x, 5.0f, 1e-6f);
    EXPECT_NEAR(p.y, 1.0f, 1e-6f);
    EXPECT_NEAR(p.z, 0.0f, 1e-6f);
}

TEST(Matrix, RotateZQuarterTurnCarriesXOntoY)
{
    Matrix4 m;
    matrix_identity(m);
    matrix_rotate_z(m, pi / 2);
    const float row0[4] = {0, 1, 0, 0}, row1[4] = {-1, 0, 0, 0}, row2[4] = {0, 0, 1, 0},
                row3[4] = {0, 0, 0, 1};
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(m.m[c], row0[c], 1e-6f);
        EXPECT_NEAR(m.m[4 + c], row1[c], 1e-6f);
        EXPECT_EQ(m.m[8 + c], row2[c]);
        EXPECT_EQ(m.m[12 + c], row3[c]);
    }
}

TEST(Matrix, RotationsFollowTheRightHandRule)
{
    Matrix4 m;
    matrix_identity(m);
    matrix_rotate_x(m, pi / 2);  // Y toward Z
    EXPECT_NEAR(m.m[4 + 2], 1.0f, 1e-6f);
    EXPECT_NEAR(m.m[8 + 1], -1.0f, 1e-6f);
    matrix_identity(m);
    matrix_rotate_y(m, pi / 2);  // Z toward X
    EXPECT_NEAR(m.m[8 + 0], 1.0f, 1e-6f);
    EXPECT_NEAR(m.m[0 + 2], -1.0f, 1e-6f);
}

TEST(Matrix, TranslateAfterRotateMovesAlongTheRotatedAxis)
{
    Matrix4 m;
    matrix_identity(m);
    matrix_rotate_x(m, 0.7f);
    const Matrix4 rotated = m;
    matrix_translate(m, 0, 0, 10);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(m.m[12 + c], 10.0f * rotated.m[8 + c], 1e-5f);
    }
    EXPECT_NEAR(m.m[12 + 2], 10.0f * std::cos(0.7f), 1e-5f);
    EXPECT_NEAR(m.m[12 + 1], -10.0f * std::sin(0.7f), 1e-5f);
}

TEST(Matrix, TranslationMovesOriginByTheAxisRows)
{
    std::mt19937 rng(13);
    const Matrix4 start = random_placement(rng);
    Matrix4 m = start;
    matrix_translate(m, 2, -3, 4);
    for (int c = 0; c < 3; ++c) {
        const float expected = 2 * start.m[c] - 3 * start.m[4 + c] + 4 * start.m[8 + c] + start.m[12 + c];
        EXPECT_NEAR(m.m[12 + c], expected, 1e-4f);
    }
}

TEST(Matrix, RotationKeepsPositionAndTranslationKeepsAxes)
{
    std::mt19937 rng(14);
    for (int n = 0; n < 20; ++n) {
        const Matrix4 start = random_placement(rng);
        for (int axis = 0; axis < 3; ++axis) {
            Matrix4 m = start;
            if (axis == 0) matrix_rotate_x(m, 1.1f);
            if (axis == 1) matrix_rotate_y(m, -0.4f);
            if (axis == 2) matrix_rotate_z(m, 2.5f);
            for (int c = 12; c < 16; ++c) {
                EXPECT_EQ(m.m[c], start.m[c]);
            }
        }
        Matrix4 m = start;
        matrix_translate(m, 3, 4, 5);
        for (int c = 0; c < 12; ++c) {
            EXPECT_EQ(m.m[c], start.m[c]);
        }
    }
}

TEST(Matrix, InverseOfIdentityIsIdentity)
{
    Matrix4 id, inv;
    matrix_identity(id);
    for (float& e : inv.m) {
        e = 9.0f;
    }
    matrix_affine_inverse(id, inv);
    EXPECT_TRUE(same_matrix(inv, id));
}

TEST(Matrix, InverseTimesMatrixIsIdentity)
{
    std::mt19937 rng(15);
    Matrix4 id;
    matrix_identity(id);
    for (int n = 0; n < 50; ++n) {
        const Matrix4 m = random_placement(rng);
        Matrix4 inv, p, q;
        matrix_affine_inverse(m, inv);
        matrix_multiply(m, inv, p);
        matrix_multiply(inv, m, q);
        expect_near_matrix(p, id, 1e-4f);
        expect_near_matrix(q, id, 1e-4f);
    }
}

TEST(Matrix, InverseOfRotationIsItsTranspose)
{
    Matrix4 m, inv;
    matrix_identity(m);
    matrix_rotate_x(m, 0.3f);
    matrix_rotate_y(m, 1.2f);
    matrix_rotate_z(m, -2.0f);
    matrix_affine_inverse(m, inv);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(inv.m[4 * r + c], m.m[4 * c + r], 1e-6f);
        }
    }
    for (int c = 12; c < 15; ++c) {
        EXPECT_NEAR(inv.m[c], 0.0f, 1e-6f);
    }
}

TEST(Matrix, SingularInverseWritesOnlyTheFirstRowCofactors)
{
    Matrix4 src;
    for (float& e : src.m) {
        e = 0.0f;
    }
    src.m[12] = 4;  // the position alone does not matter
    src.m[15] = 1;
    Matrix4 dst;
    for (int i = 0; i < 16; ++i) {
        dst.m[i] = 100.0f + static_cast<float>(i);
    }
    matrix_affine_inverse(src, dst);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dst.m[i], 0.0f);
    }
    for (int i = 3; i < 16; ++i) {
        EXPECT_EQ(dst.m[i], 100.0f + static_cast<float>(i)) << "element " << i;
    }

    // Two equal axis rows: det 0 with non-zero cofactors, kept unscaled.
    for (float& e : src.m) {
        e = 0.0f;
    }
    src.m[0] = 1; src.m[1] = 2; src.m[2] = 3;
    src.m[4] = 0; src.m[5] = 1; src.m[6] = 4;
    src.m[8] = 1; src.m[9] = 3; src.m[10] = 7;  // row 2 = row 0 + row 1
    matrix_affine_inverse(src, dst);
    EXPECT_EQ(dst.m[0], 7.0f * 1 - 3.0f * 4);   // s10 s5 - s9 s6
    EXPECT_EQ(dst.m[1], 3.0f * 3 - 2.0f * 7);   // s2 s9 - s1 s10
    EXPECT_EQ(dst.m[2], 2.0f * 4 - 3.0f * 1);   // s1 s6 - s2 s5
    for (int i = 3; i < 16; ++i) {
        EXPECT_EQ(dst.m[i], 100.0f + static_cast<float>(i)) << "element " << i;
    }
}

TEST(Matrix, InverseMapsTransformedPointsBack)
{
    std::mt19937 rng(16);
    std::uniform_real_distribution<float> d(-20, 20);
    for (int n = 0; n < 30; ++n) {
        const Matrix4 m = random_placement(rng);
        Matrix4 inv;
        matrix_affine_inverse(m, inv);
        const Vec3 p{d(rng), d(rng), d(rng)};
        const Vec3 back = transform(inv, transform(m, p));
        EXPECT_NEAR(back.x, p.x, 1e-3f);
        EXPECT_NEAR(back.y, p.y, 1e-3f);
        EXPECT_NEAR(back.z, p.z, 1e-3f);
    }
}

}  // namespace
