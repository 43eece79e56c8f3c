#include "engine/vector.h"

#include "engine/matrix.h"

#include <cmath>

namespace vorlane {

const vector zero_vector;

void vector::set(float x_, float y_, float z_, float w_)
{
    x = x_;
    y = y_;
    z = z_;
    w = w_;
}

void vector::cross(const vector& a, const vector& b)
{
    x = a.y * b.z - b.y * a.z;
    y = b.x * a.z - a.x * b.z;
    z = a.x * b.y - b.x * a.y;
    w = 0;
}

void vector::difference(const vector& a, const vector& b)
{
    x = a.x - b.x;
    y = a.y - b.y;
    z = a.z - b.z;
    w = 0;
}

void vector::add(const vector& v)
{
    x += v.x;
    y += v.y;
    z += v.z;
}

void vector::subtract(const vector& v)
{
    x -= v.x;
    y -= v.y;
    z -= v.z;
}

void vector::scale(float s)
{
    x *= s;
    y *= s;
    z *= s;
}

float vector::length() const
{
    return static_cast<float>(std::sqrt(static_cast<double>(x * x + y * y + z * z)));
}

void vector::normalize()
{
    const float l = length();
    if (l != 0)
        scale(1 / l);
}

void vector::transform(const vector& v, const matrix& m)
{
    // Read v fully first: v may be this vector.
    const float vx = v.x, vy = v.y, vz = v.z, vw = v.w;
    x = vx * m(0, 0) + vy * m(1, 0) + vz * m(2, 0) + vw * m(3, 0);
    y = vx * m(0, 1) + vy * m(1, 1) + vz * m(2, 1) + vw * m(3, 1);
    z = vx * m(0, 2) + vy * m(1, 2) + vz * m(2, 2) + vw * m(3, 2);
    w = vx * m(0, 3) + vy * m(1, 3) + vz * m(2, 3) + vw * m(3, 3);
}

}  // namespace vorlane
