// Vectors and 4 x 4 matrices.
//
// A Matrix4 is sixteen floats stored row by row; m[4 * r + c] is row r,
// column c. Points are row vectors: rows 0 to 2 are the images of the X, Y
// and Z axes, row 3 (elements 12 to 14) is the position. Rotations and the
// translation multiply their elementary matrix in front of the matrix, so a
// sequence of calls builds a transform step by step in the object's own
// frame. Angles are radians, right-handed.
#pragma once

struct Vec3 {
    float x, y, z;
};

struct Matrix4 {
    float m[16];
};

// All sixteen elements: 1 on the diagonal, 0 elsewhere.
void matrix_identity(Matrix4& m);

// result = b x a (row-major product): transforming by the result is
// transforming by b, then by a. result may be the same matrix as a or b.
void matrix_multiply(const Matrix4& a, const Matrix4& b, Matrix4& result);

// m = R(angle) x m, about the object's own axis.
void matrix_rotate_x(Matrix4& m, float angle);
void matrix_rotate_y(Matrix4& m, float angle);
void matrix_rotate_z(Matrix4& m, float angle);

// m = T(x, y, z) x m: moves the origin by x * row0 + y * row1 + z * row2.
void matrix_translate(Matrix4& m, float x, float y, float z);

// dst = inverse of the affine matrix src (its fourth column taken as
// 0, 0, 0, 1). dst must not be src. When the 3 x 3 part's determinant is
// exactly 0, only dst's elements 0 to 2 are written (the unscaled cofactors
// of the first row) and everything else in dst is left as it was.
void matrix_affine_inverse(const Matrix4& src, Matrix4& dst);

// The camera's view transform: the identity, then matrix_affine_inverse of
// camera over it (so a singular camera leaves the identity's elements where
// the inverse writes nothing).
Matrix4 matrix_camera_inverse(const Matrix4& camera);
