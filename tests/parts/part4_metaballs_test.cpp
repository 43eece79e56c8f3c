#include "parts/metaballs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vorlane {
namespace {

int at(int i, int j, int k)
{
    return 100 * i + 10 * j + k;
}

struct surface {
    std::vector<float> field = std::vector<float>(field_points, 0.5f);
    dyn_array<vector> pos;
    dyn_array<float> size;
    int count = 0;
    void find() { count = find_surface(field.data(), pos, size); }
};

void expect_point(surface& s, int n, float x, float y, float z, float size)
{
    const vector& p = *s.pos.at(n);
    EXPECT_NEAR(p.x, x, 1e-5) << n;
    EXPECT_NEAR(p.y, y, 1e-5) << n;
    EXPECT_NEAR(p.z, z, 1e-5) << n;
    EXPECT_FLOAT_EQ(p.w, 1) << n;
    EXPECT_NEAR(*s.size.at(n), size, 1e-5) << n;
}

TEST(metaball_field, sums_weight_over_distance_and_puts_the_still_balls_on_grid_points)
{
    std::vector<float> field(field_points);
    fill_field(field.data(), 0);
    // At v = 0 the centres are (3, 4, 7), (6, 5, 2) and (3, 7, 6).
    EXPECT_TRUE(std::isinf(field[at(3, 4, 7)]));
    EXPECT_TRUE(std::isinf(field[at(6, 5, 2)]));
    EXPECT_TRUE(std::isinf(field[at(3, 7, 6)]));
    const double origin = 1.5 / std::sqrt(9 + 16 + 49.0) + 1.5 / std::sqrt(36 + 25 + 4.0) +
                          1.0 / std::sqrt(9 + 49 + 36.0);
    EXPECT_NEAR(field[0], origin, 1e-6);

    fill_field(field.data(), 0.1f);
    // Ball A has moved to (3 + sin 5.1, 4 + 2 sin 2.3, 7 + 0.5 sin 2.1).
    const double ai = 3 + std::sin(5.1), aj = 4 + 2 * std::sin(2.3), ak = 7 + 0.5 * std::sin(2.1);
    const double bi = 6 + 2 * std::sin(2.3), bj = 5 + std::sin(1.1), bk = 2 + 1.5 * std::sin(3.7);
    const double ci = 3 + 1.5 * std::sin(3.7), cj = 7 + std::sin(3.1), ck = 6 + 2 * std::sin(1.3);
    auto dist = [](double i, double j, double k) { return std::sqrt(i * i + j * j + k * k); };
    const double expected = 1.5 / dist(9 - ai, 0 - aj, 5 - ak) + 1.5 / dist(9 - bi, 0 - bj, 5 - bk) +
                            1.0 / dist(9 - ci, 0 - cj, 5 - ck);
    EXPECT_NEAR(field[at(9, 0, 5)], expected, 1e-5);
}

TEST(metaball_surface, a_value_of_exactly_one_is_no_crossing)
{
    surface s;
    s.field.assign(field_points, 2.0f);
    s.field[at(4, 4, 4)] = 1.0f;  // a corner for one cell, a neighbour for three
    s.find();
    EXPECT_EQ(s.count, 0);

    s.field[at(4, 4, 4)] = 0.999f;
    s.find();
    EXPECT_EQ(s.count, 4);
}

TEST(metaball_surface, three_crossings_average_into_one_point_and_the_edges_map_to_swapped_axes)
{
    surface s;
    s.field[at(2, 3, 4)] = 3.0f;
    s.find();
    // The cells below it along i, j and k each cross once, at u = 0.2 of
    // the way to it; its own cell crosses on all three edges, at u = 0.8.
    ASSERT_EQ(s.count, 4);
    const float near_end = static_cast<float>(std::sin(0.2 * 3.14159));
    const float far_end = static_cast<float>(std::sin(0.8 * 3.14159));
    // Cell (1, 3, 4), towards i + 1: the point moves along z.
    expect_point(s, 0, -12, -2, -2.4f, near_end);
    // Cell (2, 2, 4), towards j + 1: along y.
    expect_point(s, 1, -9, -4.4f, -3, near_end);
    // Cell (2, 3, 3), towards k + 1: along x.
    expect_point(s, 2, -8.4f, -2, -6, near_end);
    // Cell (2, 3, 4): (-6.6, -2, -3), (-9, 0.4, -3) and (-9, -2, -0.6).
    expect_point(s, 3, -8.2f, -1.2f, -2.2f, far_end);
}

TEST(metaball_surface, an_infinite_corner_crosses_at_its_finite_neighbour_without_nan)
{
    surface s;
    s.field[at(2, 3, 4)] = INFINITY;
    s.find();
    ASSERT_EQ(s.count, 4);
    for (int n = 0; n < s.count; ++n) {
        const vector& p = *s.pos.at(n);
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << n;
        ASSERT_TRUE(std::isfinite(*s.size.at(n))) << n;
    }
    // From below the crossing is at the lower corner (u = 0)...
    expect_point(s, 0, -12, -2, -3, 0);
    // ...and from the infinite corner at the far ends (u = 1).
    const float far_end = static_cast<float>(std::sin(3.14159));
    expect_point(s, 3, -8, -1, -2, far_end);
}

TEST(metaball_surface, cells_without_a_crossing_leave_no_gap_and_the_lists_grow)
{
    surface s;
    // A slab above 1 at i = 0 and 1 crosses in every cell of i = 1: 81 points.
    for (int j = 0; j < field_side; ++j)
        for (int k = 0; k < field_side; ++k) {
            s.field[at(0, j, k)] = 2;
            s.field[at(1, j, k)] = 2;
        }
    s.find();
    ASSERT_EQ(s.count, 81);
    EXPECT_GE(s.pos.capacity, 81);
    for (int n = 0; n < s.count; ++n)
        expect_point(s, n, -12, (n / 9 - 5) * 3.0f + 4, ((n % 9) + 2.0f / 3 - 5) * 3,
                     static_cast<float>(std::sin(2.0 / 3 * 3.14159)));
}

}  // namespace
}  // namespace vorlane
