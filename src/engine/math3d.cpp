#include "engine/math3d.h"

#include <cmath>
#include <initializer_list>

namespace {

// Sines and cosines are taken of the float angle at full precision and
// stored as floats.
float cos_of(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }
float sin_of(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }

void multiply_in_front(Matrix4& m, const Matrix4& step) { matrix_multiply(m, step, m); }

}  // namespace

void matrix_identity(Matrix4& m)
{
    for (int i = 0; i < 16; ++i) {
        m.m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    }
}

void matrix_multiply(const Matrix4& a, const Matrix4& b, Matrix4& result)
{
    Matrix4 t;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            t.m[4 * i + j] = b.m[4 * i + 0] * a.m[0 + j] + b.m[4 * i + 1] * a.m[4 + j] +
                             b.m[4 * i + 2] * a.m[8 + j] + b.m[4 * i + 3] * a.m[12 + j];
        }
    }
    result = t;
}

void matrix_rotate_x(Matrix4& m, float angle)
{
    Matrix4 e;
    matrix_identity(e);
    const float c = cos_of(angle), s = sin_of(angle);
    e.m[5] = c;
    e.m[6] = s;
    e.m[9] = -s;
    e.m[10] = c;
    multiply_in_front(m, e);
}

void matrix_rotate_y(Matrix4& m, float angle)
{
    Matrix4 e;
    matrix_identity(e);
    const float c = cos_of(angle), s = sin_of(angle);
    e.m[0] = c;
    e.m[2] = -s;
    e.m[8] = s;
    e.m[10] = c;
    multiply_in_front(m, e);
}

void matrix_rotate_z(Matrix4& m, float angle)
{
    Matrix4 e;
    matrix_identity(e);
    const float c = cos_of(angle), s = sin_of(angle);
    e.m[0] = c;
    e.m[1] = s;
    e.m[4] = -s;
    e.m[5] = c;
    multiply_in_front(m, e);
}

void matrix_translate(Matrix4& m, float x, float y, float z)
{
    Matrix4 e;
    matrix_identity(e);
    e.m[12] = x;
    e.m[13] = y;
    e.m[14] = z;
    multiply_in_front(m, e);
}

void matrix_affine_inverse(const Matrix4& src, Matrix4& dst)
{
    const float* s = src.m;
    float* d = dst.m;

    d[0] = s[10] * s[5] - s[9] * s[6];
    d[1] = s[2] * s[9] - s[1] * s[10];
    d[2] = s[1] * s[6] - s[2] * s[5];
    const float det = d[1] * s[4] + d[0] * s[0] + d[2] * s[8];
    if (det == 0.0f) {
        return;
    }

    d[4] = s[6] * s[8] - s[10] * s[4];
    d[5] = s[0] * s[10] - s[2] * s[8];
    d[6] = s[2] * s[4] - s[0] * s[6];
    d[8] = s[9] * s[4] - s[5] * s[8];
    d[9] = s[1] * s[8] - s[0] * s[9];
    d[10] = s[0] * s[5] - s[1] * s[4];

    const double inv = 1.0 / static_cast<double>(det);
    for (int k : {0, 1, 2, 4, 5, 6, 8, 9, 10}) {
        d[k] = static_cast<float>(static_cast<double>(d[k]) * inv);
    }

    d[12] = -(d[0] * s[12]) - s[13] * d[4] - d[8] * s[14];
    d[13] = -(s[12] * d[1]) - s[13] * d[5] - d[9] * s[14];
    d[14] = -(s[12] * d[2]) - s[13] * d[6] - d[10] * s[14];

    d[3] = 0.0f;
    d[7] = 0.0f;
    d[11] = 0.0f;
    d[15] = 1.0f;
}

Matrix4 matrix_camera_inverse(const Matrix4& camera)
{
    Matrix4 inverse;
    matrix_identity(inverse);
    matrix_affine_inverse(camera, inverse);
    return inverse;
}
