// Matrix layout and operations: row vectors, new steps in front, affine inverse.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/math3d.h"
#include "matrix_checks.h"

namespace {

Matrix4 filled(float value)
{
    Matrix4 m;
    for (float& e : m.m) e = value;
    return m;
}

// Rotations and translations with a scale and a shear: an affine matrix
// whose 3 x 3 part has a determinant far from 1.
Matrix4 general_affine(std::mt19937& rng)
{
    std::uniform_real_distribution<float> d(-2.0f, 2.0f);
    Matrix4 m;
    matrix_identity(m);
    m.m[0] = 2.5f;
    m.m[4] = 0.75f;
    m.m[5] = 1.5f;
    m.m[10] = 0.5f;
    matrix_rotate_x(m, d(rng));
    matrix_translate(m, 10 * d(rng), 10 * d(rng), 10 * d(rng));
    matrix_rotate_y(m, d(rng));
    matrix_rotate_z(m, d(rng));
    return m;
}

void expect_near(const Matrix4& got, const Matrix4& want, float tolerance)
{
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got.m[i], want.m[i], tolerance) << "element " << i;
}

TEST(Matrix, IdentityAndProductOverAllSixteenElementsWithAliasing)
{
    Matrix4 id = filled(7.0f);
    matrix_identity(id);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(id.m[i], i % 5 == 0 ? 1.0f : 0.0f);
    // Small integers keep every product and sum exact.
    std::mt19937 rng(11);
    for (int n = 0; n < 20; ++n) {
        Matrix4 a, b, want;
        for (int i = 0; i < 16; ++i) {
            a.m[i] = static_cast<float>(static_cast<int>(rng() % 19) - 9);
            b.m[i] = static_cast<float>(static_cast<int>(rng() % 19) - 9);
        }
        for (int i = 0; i < 4; ++i) {  // b x a, row by row
            for (int j = 0; j < 4; ++j) {
                double sum = 0;
                for (int k = 0; k < 4; ++k) sum += double(b.m[4 * i + k]) * a.m[4 * k + j];
                want.m[4 * i + j] = static_cast<float>(sum);
            }
        }
        Matrix4 separate, into_a = a, into_b = b, square = a, square_want;
        matrix_multiply(a, b, separate);
        matrix_multiply(into_a, b, into_a);
        matrix_multiply(a, into_b, into_b);
        matrix_multiply(a, a, square_want);
        matrix_multiply(square, square, square);
        EXPECT_TRUE(same_matrix(separate, want));
        EXPECT_TRUE(same_matrix(into_a, want));
        EXPECT_TRUE(same_matrix(into_b, want));
        EXPECT_TRUE(same_matrix(square, square_want));
    }
}

TEST(Matrix, RotationsAreRightHandedAndActInTheObjectsFrame)
{
    // From identity each rotation is its elementary matrix: a positive angle
    // turns Y toward Z about X, Z toward X about Y, X toward Y about Z.
    const float c = static_cast<float>(std::cos(0.5)), s = static_cast<float>(std::sin(0.5));
    const struct {
        void (*rotate)(Matrix4&, float);
        int cos1, cos2, sin_at, minus_sin_at;
    } rotations[] = {{matrix_rotate_x, 5, 10, 6, 9}, {matrix_rotate_y, 0, 10, 8, 2}, {matrix_rotate_z, 0, 5, 1, 4}};
    for (const auto& r : rotations) {
        Matrix4 m, want;
        matrix_identity(m);
        matrix_identity(want);
        r.rotate(m, 0.5f);
        want.m[r.cos1] = want.m[r.cos2] = c;
        want.m[r.sin_at] = s;
        want.m[r.minus_sin_at] = -s;
        EXPECT_TRUE(same_matrix(m, want)) << r.sin_at;
    }
    // A translation moves the origin along the matrix's own axes and keeps
    // them; a rotation keeps the origin.
    std::mt19937 rng(13);
    const Matrix4 start = general_affine(rng);
    Matrix4 moved = start, turned = start;
    matrix_translate(moved, 2, -3, 4);
    matrix_rotate_z(turned, 1.1f);
    for (int k = 0; k < 12; ++k) EXPECT_EQ(moved.m[k], start.m[k]);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(moved.m[12 + k], start.m[12 + k] + 2 * start.m[k] - 3 * start.m[4 + k] + 4 * start.m[8 + k], 1e-4f);
    }
    for (int k = 12; k < 16; ++k) EXPECT_EQ(turned.m[k], start.m[k]);
}

TEST(Matrix, AffineInverseUndoesTheMatrixAndLeavesASingularOneAlone)
{
    Matrix4 id, inv = filled(9.0f);
    matrix_identity(id);
    matrix_affine_inverse(id, inv);
    EXPECT_TRUE(same_matrix(inv, id));
    std::mt19937 rng(15);
    for (int n = 0; n < 30; ++n) {
        const Matrix4 m = general_affine(rng);
        Matrix4 back, forth;
        inv = filled(9.0f);
        matrix_affine_inverse(m, inv);
        matrix_multiply(m, inv, back);
        matrix_multiply(inv, m, forth);
        expect_near(back, id, 1e-4f);
        expect_near(forth, id, 1e-4f);
        EXPECT_TRUE(same_matrix(matrix_camera_inverse(m), inv));
    }
    // Row 2 = row 0 + row 1: determinant 0. Only the first row's cofactors
    // (7 - 12, 9 - 14, 8 - 3) are written, unscaled; the camera's view keeps
    // the identity everywhere else.
    Matrix4 src = filled(0.0f), dst = filled(100.0f);
    const float rows[9] = {1, 2, 3, 0, 1, 4, 1, 3, 7};
    for (int i = 0; i < 9; ++i) src.m[4 * (i / 3) + i % 3] = rows[i];
    src.m[12] = 4;
    src.m[15] = 1;
    Matrix4 want = dst;
    matrix_affine_inverse(src, dst);
    matrix_identity(id);
    for (Matrix4* m : {&want, &id}) {
        m->m[0] = m->m[1] = -5;
        m->m[2] = 5;
    }
    EXPECT_TRUE(same_matrix(dst, want));
    EXPECT_TRUE(same_matrix(matrix_camera_inverse(src), id));
}

}  // namespace
