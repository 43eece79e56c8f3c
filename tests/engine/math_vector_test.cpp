#include "engine/matrix.h"
#include "engine/vector.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

TEST(vector, starts_at_zero)
{
    vector v;
    EXPECT_EQ(v.x, 0);
    EXPECT_EQ(v.y, 0);
    EXPECT_EQ(v.z, 0);
    EXPECT_EQ(v.w, 0);
}

TEST(vector, cross_is_right_handed_in_component_form_and_clears_w)
{
    vector a{1, 0, 0, 7}, b{0, 1, 0, 9}, c;
    c.cross(a, b);
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.y, 0);
    EXPECT_EQ(c.z, 1);
    EXPECT_EQ(c.w, 0);
    c.cross(vector{2, 3, 4, 0}, vector{5, 6, 7, 0});
    EXPECT_FLOAT_EQ(c.x, 3 * 7 - 6 * 4);
    EXPECT_FLOAT_EQ(c.y, 5 * 4 - 2 * 7);
    EXPECT_FLOAT_EQ(c.z, 2 * 6 - 5 * 3);
}

TEST(vector, in_place_operations_leave_w_alone)
{
    vector v{1, 2, 3, 5};
    v.add(vector{1, 1, 1, 100});
    v.scale(2);
    v.subtract(vector{1, 2, 3, 100});
    EXPECT_EQ(v.x, 3);
    EXPECT_EQ(v.y, 4);
    EXPECT_EQ(v.z, 5);
    EXPECT_EQ(v.w, 5);
    vector d;
    d.difference(vector{5, 5, 5, 5}, vector{1, 2, 3, 4});
    EXPECT_EQ(d.x, 4);
    EXPECT_EQ(d.z, 2);
    EXPECT_EQ(d.w, 0);
}

TEST(vector, normalize_gives_unit_length_and_leaves_zero_alone)
{
    vector v{3, 0, 4, 1};
    EXPECT_FLOAT_EQ(v.length(), 5);
    v.normalize();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    EXPECT_EQ(v.w, 1);
    vector zero;
    zero.normalize();
    EXPECT_EQ(zero.x, 0);
    EXPECT_EQ(zero.y, 0);
    EXPECT_EQ(zero.z, 0);
}

TEST(vector, transform_moves_points_but_not_directions)
{
    matrix m;
    m.rotate_ypr(1.5707963f, 0, 0);  // a quarter turn about y: x goes to -z
    m.set_row(3, vector{5, 6, 7, 1});
    vector point, direction;
    point.transform(vector{1, 0, 0, 1}, m);
    direction.transform(vector{1, 0, 0, 0}, m);
    EXPECT_NEAR(point.x, 5, 1e-6);
    EXPECT_NEAR(point.y, 6, 1e-6);
    EXPECT_NEAR(point.z, 6, 1e-6);
    EXPECT_EQ(point.w, 1);
    EXPECT_NEAR(direction.x, 0, 1e-6);
    EXPECT_NEAR(direction.z, -1, 1e-6);
    EXPECT_EQ(direction.w, 0);
    // In place: the source is read before it is overwritten.
    point.transform(point, m);
    EXPECT_NEAR(point.x, 5 + 6, 1e-5);
    EXPECT_NEAR(point.z, 7 - 5, 1e-5);
}

}  // namespace
}  // namespace vorlane
