#include "scene/track.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

namespace vorlane {
namespace {

track make_track(std::initializer_list<track_key> keys, float period, int end_mode, int spline)
{
    track tr;
    tr.assign(keys, 0, period, end_mode, spline);
    return tr;
}

TEST(track_value, empty_track_is_one_and_single_key_is_constant)
{
    track empty;
    EXPECT_EQ(empty.spline, 1);
    EXPECT_EQ(empty.end_mode, end_wrap);
    EXPECT_EQ(track_value(empty, 123), 1.0f);
    const track one = make_track({{42, 100}}, 100, end_wrap, 1);
    EXPECT_EQ(track_value(one, -50), 42);
    EXPECT_EQ(track_value(one, 100), 42);
    EXPECT_EQ(track_value(one, 1e6f), 42);
}

TEST(track_value, linear_interpolates_between_bracketing_keys)
{
    const track tr = make_track({{255, 0}, {255, 90}, {0, 100}}, 100, end_hold, 0);
    EXPECT_EQ(track_value(tr, 95), 127.5f);
    EXPECT_EQ(track_value(tr, 45), 255);
    EXPECT_EQ(track_value(tr, 90), 255);  // on a key: the earlier segment's end
}

TEST(track_value, wrap_subtracts_the_period_but_not_at_equality)
{
    const track tr = make_track({{0, 0}, {100, 10000}, {40, 20000}}, 20000, end_wrap, 0);
    EXPECT_EQ(track_value(tr, 45000), track_value(tr, 5000));
    EXPECT_EQ(track_value(tr, 45000), 50);
    EXPECT_EQ(track_value(tr, 20000), 40);  // the last key, not key 0
    EXPECT_EQ(track_value(tr, 20000.5f), track_value(tr, 0.5f));
}

TEST(track_value, hold_stays_at_the_value_for_the_period)
{
    const track tr = make_track({{0, 0}, {10, 10}, {30, 20}}, 15, end_hold, 0);
    EXPECT_EQ(track_value(tr, 15), 20);
    EXPECT_EQ(track_value(tr, 16), 20);
    EXPECT_EQ(track_value(tr, 1e9f), 20);
}

TEST(track_value, other_end_modes_leave_the_time_alone)
{
    const track tr = make_track({{0, 0}, {10, 10}, {30, 20}}, 10, 2, 0);
    EXPECT_EQ(track_value(tr, 15), 20);
}

TEST(track_value, hermite_with_two_keys_is_the_straight_line)
{
    const track tr = make_track({{0, 0}, {1, 10}}, 10, end_wrap, 1);
    EXPECT_FLOAT_EQ(track_value(tr, 5), 0.5f);
    EXPECT_FLOAT_EQ(track_value(tr, 2.5f), 0.25f);
}

TEST(track_value, hermite_uses_catmull_rom_tangents_scaled_to_the_segment)
{
    // Segment 1 of (0,0) (10,1) (30,3) (40,0): d = 20,
    // m0 = (3 - 0) * 20 / 30 = 2, m1 = (0 - 1) * 20 / 30 = -2/3.
    const track tr = make_track({{0, 0}, {1, 10}, {3, 30}, {0, 40}}, 40, end_wrap, 1);
    const float g = 0.25f;
    const float c = 3 * g * g - 2 * g * g * g;
    const float expected = (1 - c) * 1 + c * 3 + (g + g * g * g - 2 * g * g) * 2 +
                           (g * g * g - g * g) * (-2.0f / 3);
    EXPECT_NEAR(track_value(tr, 15), expected, 1e-6);
}

TEST(track_value, spline_extrapolates_the_first_segment_before_key_zero)
{
    const track tr = make_track({{0, 0}, {10, 1}, {0, 2}}, 2, end_hold, 1);
    // m0 = 10, m1 = (0 - 0) * 1 / 2 = 0; at g = -2 the cubic leaves the key range.
    const float g = -2;
    const float c = 3 * g * g - 2 * g * g * g;
    const float expected = c * 10 + (g + g * g * g - 2 * g * g) * 10;
    EXPECT_FLOAT_EQ(track_value(tr, -2), expected);
    EXPECT_GT(track_value(tr, -2), 50);  // far outside the keys 0 ... 10
}

TEST(track_value, last_written_segment_takes_its_end_tangent_from_an_unwritten_key)
{
    // Allocated for 5, 3 written: keys 3 and 4 stay (0, 0) and key_count is 5,
    // so segment 1 is not "the last" and its m1 reads key 3.
    track tr;
    tr.allocate(5);
    tr.keys[0] = {0, 0};
    tr.keys[1] = {10, 10};
    tr.keys[2] = {20, 20};
    tr.period = 20;
    const float g = 0.5f;
    const float m0 = (20 - 0) * 10.0f / 20;
    const float m1 = (0 - 10) * 10.0f / (0 - 10);  // (v3 - v1) * d / (T3 - T1)
    const float c = 3 * g * g - 2 * g * g * g;
    const float expected =
        (1 - c) * 10 + c * 20 + (g + g * g * g - 2 * g * g) * m0 + (g * g * g - g * g) * m1;
    EXPECT_FLOAT_EQ(track_value(tr, 15), expected);

    // The same keys in a track of exactly 3: one-sided end tangent.
    tr.key_count = 3;
    const float one_sided = (1 - c) * 10 + c * 20 + (g + g * g * g - 2 * g * g) * m0 +
                            (g * g * g - g * g) * 10;
    EXPECT_FLOAT_EQ(track_value(tr, 15), one_sided);
}

TEST(track_value, time_past_the_last_key_holds_it_instead_of_reading_past_the_keys)
{
    // Period beyond the last key and a hold: the search would run off the end.
    const track held = make_track({{1, 0}, {2, 10}, {7, 20}}, 50, end_hold, 1);
    EXPECT_EQ(track_value(held, 35), 7);
    const track unwrapped = make_track({{1, 0}, {7, 20}}, 0, 5, 0);
    EXPECT_EQ(track_value(unwrapped, 1e6f), 7);
}

TEST(track_value, equal_key_times_give_the_earlier_key_instead_of_dividing_by_zero)
{
    const track linear = make_track({{1, 0}, {4, 10}, {9, 10}, {2, 20}}, 20, end_wrap, 0);
    EXPECT_EQ(track_value(linear, 10), 4);
    const track spline = make_track({{1, 0}, {4, 0}, {6, 10}}, 10, end_wrap, 1);
    EXPECT_EQ(track_value(spline, 0), 1);
    const float v = track_value(spline, 5);  // its tangent span T(2) - T(0) is fine
    EXPECT_GT(v, 4);
    EXPECT_LT(v, 6);
    // Tangent spans of zero through unwritten (0, 0) keys stay finite.
    track zero_span;
    zero_span.allocate(4);
    zero_span.keys[1] = {5, 10};
    zero_span.period = 10;
    EXPECT_TRUE(std::isfinite(track_value(zero_span, 5)));
}

TEST(track_value, degenerate_periods_never_hang)
{
    const track zero_period = make_track({{1, 0}, {3, 10}}, 0, end_wrap, 0);
    EXPECT_EQ(track_value(zero_period, 5), 2);
    const track huge_time = make_track({{0, 0}, {10, 10}}, 10, end_wrap, 0);
    const float v = track_value(huge_time, 3e12f);
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 10);
}

TEST(track, copies_share_their_keys)
{
    track a = make_track({{1, 0}, {2, 10}}, 10, end_wrap, 0);
    track b = a;
    a.keys[1].value = 20;
    EXPECT_EQ(track_value(b, 10), 20);
}

}  // namespace
}  // namespace vorlane
