// 4x4 float matrix with the Direct3D conventions the show is written in:
// row-major, points are row vectors multiplied on the left (p' = p * M),
// so the translation sits in elements 12, 13 and 14 and "A * B" means
// "first A, then B".
#pragma once

#include "engine/vector.h"

namespace vorlane {

struct matrix {
    // Element [r][c] is e[4r + c]. A new matrix is the identity.
    float e[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    float& operator()(int r, int c) { return e[4 * r + c]; }
    float operator()(int r, int c) const { return e[4 * r + c]; }
    vector row(int r) const;
    void set_row(int r, const vector& v);

    void set_identity();
    // this = a * b; this must be neither a nor b.
    void multiply(const matrix& a, const matrix& b);
    // out = this * m; out may be this.
    void multiply_into(const matrix& m, matrix& out) const;
    // this = T(x, y, z) * this: the translation happens before the
    // existing transform.
    void translate(float x, float y, float z);
    // Translation after the existing transform: elements 12-14 += x, y, z.
    void move(float x, float y, float z);
    // Scales x, y, z of row 0 by a, row 1 by b, row 2 by c.
    void scale_rows(float a, float b, float c);
    void scale_uniform(float s);
    // this = Rz(c) * Ry(b) * Rx(a) * this; angles in 1/256 turns through
    // the trig tables, wrapping at 256. No transcendental call.
    void rotate_indexed(int a, int b, int c);
    // this = Rz(roll) * Rx(pitch) * Ry(yaw) * this; radians.
    void rotate_ypr(float yaw, float pitch, float roll);
    // Inverse of a rotation plus translation: v' = (v - t) * R^T.
    void rigid_inverse();
    // Writes only [0][0] = s * 0.75 (the 4:3 aspect is fixed), [1][1] = s,
    // [2][2] = q, [2][3] = 1 and [3][2] = -q * near with q = far / (far -
    // near). On an identity, [3][3] stays 1, so clip w is z + 1.
    void perspective(float near, float far, float s);
};
static_assert(sizeof(matrix) == 64);

// The identity; fresh identities are copied from it.
extern const matrix identity_matrix;

}  // namespace vorlane
