// Four-float vector of every geometric computation: x, y, z and w in the
// layout the vertex and light records embed. Operations ignore w unless
// they say otherwise.
#pragma once

namespace vorlane {

struct matrix;

struct vector {
    float x = 0, y = 0, z = 0, w = 0;

    void set(float x_, float y_, float z_, float w_);
    // this = a x b; w = 0
    void cross(const vector& a, const vector& b);
    // this = a - b on x, y, z; w = 0
    void difference(const vector& a, const vector& b);
    void add(const vector& v);
    void subtract(const vector& v);
    void scale(float s);
    float length() const;
    // A zero vector stays zero instead of dividing by 0.
    void normalize();
    // this = v * m as a row vector, all four components: points carry
    // w = 1 and pick up the translation, directions carry w = 0.
    void transform(const vector& v, const matrix& m);
};
static_assert(sizeof(vector) == 16);

extern const vector zero_vector;

}  // namespace vorlane
