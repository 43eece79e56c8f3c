#include "engine/matrix.h"

#include "engine/trig_tables.h"

#include <cmath>
#include <utility>

namespace vorlane {

const matrix identity_matrix;

namespace {

matrix rotation_x(float c, float s)
{
    matrix r = identity_matrix;
    r(1, 1) = c;
    r(1, 2) = s;
    r(2, 1) = -s;
    r(2, 2) = c;
    return r;
}

matrix rotation_y(float c, float s)
{
    matrix r = identity_matrix;
    r(0, 0) = c;
    r(0, 2) = -s;
    r(2, 0) = s;
    r(2, 2) = c;
    return r;
}

matrix rotation_z(float c, float s)
{
    matrix r = identity_matrix;
    r(0, 0) = c;
    r(0, 1) = s;
    r(1, 0) = -s;
    r(1, 1) = c;
    return r;
}

// this = r * this
void premultiply(matrix& m, const matrix& r)
{
    matrix product;
    product.multiply(r, m);
    m = product;
}

float float_sin(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }
float float_cos(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }

}  // namespace

vector matrix::row(int r) const
{
    return vector{e[4 * r], e[4 * r + 1], e[4 * r + 2], e[4 * r + 3]};
}

void matrix::set_row(int r, const vector& v)
{
    e[4 * r] = v.x;
    e[4 * r + 1] = v.y;
    e[4 * r + 2] = v.z;
    e[4 * r + 3] = v.w;
}

void matrix::set_identity()
{
    *this = identity_matrix;
}

void matrix::multiply(const matrix& a, const matrix& b)
{
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a(j, k) * b(k, i);
            (*this)(j, i) = sum;
        }
}

void matrix::multiply_into(const matrix& m, matrix& out) const
{
    matrix product;
    product.multiply(*this, m);
    out = product;
}

void matrix::translate(float x, float y, float z)
{
    matrix t = identity_matrix;
    t.e[12] = x;
    t.e[13] = y;
    t.e[14] = z;
    premultiply(*this, t);
}

void matrix::move(float x, float y, float z)
{
    e[12] += x;
    e[13] += y;
    e[14] += z;
}

void matrix::scale_rows(float a, float b, float c)
{
    const float factors[3] = {a, b, c};
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col)
            (*this)(r, col) *= factors[r];
}

void matrix::scale_uniform(float s)
{
    scale_rows(s, s, s);
}

void matrix::rotate_indexed(int a, int b, int c)
{
    a &= 255;
    b &= 255;
    c &= 255;
    premultiply(*this, rotation_x(cos_table[a], sin_table[a]));
    premultiply(*this, rotation_y(cos_table[b], sin_table[b]));
    premultiply(*this, rotation_z(cos_table[c], sin_table[c]));
}

void matrix::rotate_ypr(float yaw, float pitch, float roll)
{
    premultiply(*this, rotation_y(float_cos(yaw), float_sin(yaw)));
    premultiply(*this, rotation_x(float_cos(pitch), float_sin(pitch)));
    premultiply(*this, rotation_z(float_cos(roll), float_sin(roll)));
}

void matrix::rigid_inverse()
{
    const float tx = e[12], ty = e[13], tz = e[14];
    std::swap((*this)(0, 1), (*this)(1, 0));
    std::swap((*this)(0, 2), (*this)(2, 0));
    std::swap((*this)(1, 2), (*this)(2, 1));
    e[12] = e[13] = e[14] = 0;
    translate(-tx, -ty, -tz);
}

void matrix::perspective(float near, float far, float s)
{
    const float q = far / (far - near);
    (*this)(0, 0) = s * 0.75f;
    (*this)(1, 1) = s;
    (*this)(2, 2) = q;
    (*this)(2, 3) = 1;
    (*this)(3, 2) = -q * near;
}

}  // namespace vorlane
