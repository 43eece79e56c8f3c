#include "engine/matrix.h"
#include "engine/trig_tables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlane {
namespace {

void expect_near(const matrix& a, const matrix& b, float tolerance = 1e-5f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.e[i], b.e[i], tolerance) << "element " << i;
}

matrix product(const matrix& a, const matrix& b)
{
    matrix p;
    p.multiply(a, b);
    return p;
}

class matrix_test : public testing::Test {
protected:
    void SetUp() override { build_trig_tables(); }
};

TEST_F(matrix_test, new_matrices_and_the_global_are_identities)
{
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    matrix m;
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(m.e[i], identity[i]);
        EXPECT_EQ(identity_matrix.e[i], identity[i]);
    }
}

TEST_F(matrix_test, multiply_is_row_vector_order)
{
    matrix a, b;
    for (int i = 0; i < 16; ++i) {
        a.e[i] = static_cast<float>(i + 1);
        b.e[i] = static_cast<float>(16 - i);
    }
    const matrix p = product(a, b);
    // [1][2] = row 1 of a . column 2 of b = 5*14 + 6*10 + 7*6 + 8*2
    EXPECT_EQ(p(1, 2), 5 * 14 + 6 * 10 + 7 * 6 + 8 * 2);
    EXPECT_EQ(p(3, 0), 13 * 16 + 14 * 12 + 15 * 8 + 16 * 4);
    matrix into = a;
    into.multiply_into(b, into);  // out may alias this
    expect_near(into, p, 0);
}

TEST_F(matrix_test, translate_happens_before_and_move_after_the_transform)
{
    matrix r;
    r.rotate_ypr(1.5707963f, 0, 0);  // x -> -z
    matrix before = r, after = r;
    before.translate(1, 0, 0);
    after.move(1, 0, 0);
    vector p;
    p.transform(vector{0, 0, 0, 1}, before);
    EXPECT_NEAR(p.x, 0, 1e-6);
    EXPECT_NEAR(p.z, -1, 1e-6);
    p.transform(vector{0, 0, 0, 1}, after);
    EXPECT_NEAR(p.x, 1, 1e-6);
    EXPECT_NEAR(p.z, 0, 1e-6);
}

TEST_F(matrix_test, scale_rows_leaves_column_three)
{
    matrix m;
    for (int i = 0; i < 16; ++i)
        m.e[i] = 1;
    m.scale_rows(2, 3, 4);
    EXPECT_EQ(m(0, 0), 2);
    EXPECT_EQ(m(0, 2), 2);
    EXPECT_EQ(m(1, 1), 3);
    EXPECT_EQ(m(2, 2), 4);
    EXPECT_EQ(m(0, 3), 1);
    EXPECT_EQ(m(2, 3), 1);
    EXPECT_EQ(m(3, 0), 1);
    m.scale_uniform(0.5f);
    EXPECT_EQ(m(1, 0), 1.5f);
}

TEST_F(matrix_test, trig_tables_use_the_short_step)
{
    EXPECT_EQ(sin_table[0], 0);
    EXPECT_EQ(cos_table[0], 1);
    EXPECT_EQ(sin_table[64], static_cast<float>(std::sin(64 * 0.024543671875)));
    EXPECT_NEAR(sin_table[64], 1, 1e-6);
    EXPECT_EQ(cos_table[200], static_cast<float>(std::cos(200 * 0.024543671875)));
    // The step is not 2 pi / 256: entry 128 is a little short of a half turn.
    EXPECT_GT(sin_table[128], 0);
    EXPECT_LT(sin_table[128], 1e-5);
}

TEST_F(matrix_test, rotate_indexed_wraps_at_256_and_turns_z_then_y_then_x)
{
    matrix a, b;
    a.rotate_indexed(256 + 10, -256 + 20, 512 + 30);
    b.rotate_indexed(10, 20, 30);
    expect_near(a, b, 0);

    matrix quarter;
    quarter.rotate_indexed(64, 0, 0);
    EXPECT_EQ(quarter(1, 2), sin_table[64]);
    EXPECT_EQ(quarter(2, 1), -sin_table[64]);
    EXPECT_EQ(quarter(1, 1), cos_table[64]);

    // A point is turned about z first: x -> y (z quarter), then y -> z (x quarter).
    matrix m;
    m.rotate_indexed(64, 0, 64);
    vector p;
    p.transform(vector{1, 0, 0, 1}, m);
    EXPECT_NEAR(p.x, 0, 1e-5);
    EXPECT_NEAR(p.y, 0, 1e-5);
    EXPECT_NEAR(p.z, 1, 1e-5);
}

TEST_F(matrix_test, rotate_ypr_applies_roll_then_pitch_then_yaw_before_the_transform)
{
    matrix m;
    m.move(0, 0, 10);
    m.rotate_ypr(0.3f, -1.1f, 2.0f);
    matrix ry, rx, rz, expected;
    ry.rotate_ypr(0.3f, 0, 0);
    rx.rotate_ypr(0, -1.1f, 0);
    rz.rotate_ypr(0, 0, 2.0f);
    matrix moved;
    moved.move(0, 0, 10);
    expected = product(product(product(rz, rx), ry), moved);
    expect_near(m, expected);
}

TEST_F(matrix_test, rigid_inverse_undoes_rotation_and_translation)
{
    matrix m;
    m.rotate_ypr(0.7f, -0.4f, 1.9f);
    m.move(3, -2, 5);
    matrix inverse = m;
    inverse.rigid_inverse();
    expect_near(product(inverse, m), identity_matrix);
    expect_near(product(m, inverse), identity_matrix);
}

TEST_F(matrix_test, perspective_writes_five_elements_only)
{
    matrix m;
    m.perspective(0.1f, 1000, 2.0f);
    EXPECT_FLOAT_EQ(m(0, 0), 1.5f);
    EXPECT_FLOAT_EQ(m(1, 1), 2);
    EXPECT_NEAR(m(2, 2), 1.0001f, 1e-6);
    EXPECT_EQ(m(2, 3), 1);
    EXPECT_NEAR(m(3, 2), -0.10001f, 1e-6);
    EXPECT_EQ(m(3, 3), 1);  // left alone: clip w is z + 1
    EXPECT_EQ(m(0, 1), 0);
    EXPECT_EQ(m(3, 0), 0);

    matrix busy;
    for (int i = 0; i < 16; ++i)
        busy.e[i] = 9;
    busy.perspective(0.01f, 1000, 1.5f);
    int untouched = 0;
    for (int i = 0; i < 16; ++i)
        untouched += busy.e[i] == 9;
    EXPECT_EQ(untouched, 11);
}

}  // namespace
}  // namespace vorlane
