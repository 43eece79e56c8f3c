#include "effects/invert_flash_effect.h"
#include "tests/parts/part4_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlane {
namespace {

// The camera's place in the world: the inverse of the view, row 3.
vector eye_of(const matrix& view)
{
    matrix camera = view;
    camera.rigid_inverse();
    return camera.row(3);
}

matrix yaw(float k)
{
    matrix r = identity_matrix;
    r.rotate_ypr(k * 2 * 3.14159f, 0, 0);
    return r;
}

constexpr float no_ring = -1000;  // far below every sprite

TEST_F(part4_test, the_switch_runs_once_and_bakes_the_last_cloud_into_the_morph_start)
{
    s.no_effects = 1;
    frame_at(12000);  // rolled and slid in for good
    ASSERT_GT(p->sprite_count, 1);
    // Where the first half draws sprite 0: row 3 of its world matrix.
    p->sprite_count = 1;
    p->draw_cloud(s, 12000);
    const float* world = pd3dDev->state.world.m;
    const vector drawn{world[12], world[13], world[14], world[15]};

    frame_at(28517);
    EXPECT_EQ(p->first_half, 0);
    EXPECT_EQ(p->sprite_count, spiral_sprites);
    // At k = 0 the morph starts exactly on the cloud.
    const vector start = p->bright_point(0, 0, 0, 1, no_ring, yaw(0));
    EXPECT_NEAR(start.x, drawn.x, 1e-4);
    EXPECT_NEAR(start.y, drawn.y, 1e-4);
    EXPECT_NEAR(start.z, drawn.z, 1e-4);
    EXPECT_FLOAT_EQ(start.w, 1);

    // Later frames draw from the same points.
    const vector baked = *p->blob_pos.at(0);
    frame_at(29000);
    EXPECT_EQ(p->blob_pos.at(0)->x, baked.x);
    EXPECT_EQ(p->blob_pos.at(0)->y, baked.y);
}

TEST_F(part4_test, from_500_ms_the_sprites_are_on_the_turned_spiral_and_rise)
{
    p->switch_halves();
    for (int n : {0, 7, 249}) {
        const vector& spiral = *p->spiral_pos.at(n);
        const double r1 = (std::sin(43 * n + 0.4) + 1.2) * 3;
        EXPECT_NEAR(spiral.x, std::sin(57 * n) * r1, 1e-5);
        EXPECT_NEAR(spiral.y, 0.3 * n - 15, 1e-4);
        EXPECT_NEAR(*p->spiral_size.at(n), r1 + 2, 1e-5);
        // One yaw turn of 2 x 3.14159: a hair short of a full turn.
        const vector q = p->bright_point(n, 500, 1, 1, no_ring, yaw(1));
        EXPECT_NEAR(q.x, spiral.x, 1e-4);
        EXPECT_NEAR(q.z, spiral.z, 1e-4);
        EXPECT_NEAR(q.y, wrap_height(static_cast<float>(spiral.y + 500 * (r1 + 2) * 0.0015)), 1e-4);
    }
}

TEST_F(part4_test, the_rise_stops_once_the_spread_passes_ten)
{
    p->switch_halves();
    const vector& spiral = *p->spiral_pos.at(3);
    const float rise = 2000 * *p->spiral_size.at(3) * 0.0015f;
    auto height = [&](float ts) { return p->bright_point(3, 2000, 1, ts, no_ring, identity_matrix).y; };
    EXPECT_NEAR(height(9.5f), wrap_height(spiral.y + rise), 1e-4);
    EXPECT_NEAR(height(10), wrap_height(spiral.y + rise), 1e-4);  // divided by 1
    EXPECT_EQ(height(11), spiral.y);                              // by 2^1000
    EXPECT_EQ(height(1000), spiral.y);                            // by infinity
    // The spread widens x and z only.
    const vector wide = p->bright_point(3, 2000, 1, 11, no_ring, identity_matrix);
    EXPECT_FLOAT_EQ(wide.x, spiral.x * 11);
    EXPECT_FLOAT_EQ(wide.z, spiral.z * 11);
}

TEST_F(part4_test, rising_sprites_wrap_into_the_85_high_window)
{
    EXPECT_EQ(wrap_height(40), 40);
    EXPECT_EQ(wrap_height(-100), -100);
    EXPECT_FLOAT_EQ(wrap_height(100), 15);
    EXPECT_FLOAT_EQ(wrap_height(125), 40);
    EXPECT_FLOAT_EQ(wrap_height(40 + 85 * 30 + 1), -44);
    for (float y : {1e6f, 1e12f, 3e38f}) {
        const float w = wrap_height(y);
        EXPECT_GT(w, -45) << y;
        EXPECT_LE(w, 40) << y;
    }
}

TEST_F(part4_test, the_ring_bulges_sprites_less_than_ten_from_it)
{
    p->switch_halves();
    // A sprite at height -15 that does not rise at u = 0.
    *p->spiral_pos.at(0) = vector{2, -15, 1, 1};
    auto x_at = [&](float ring) { return p->bright_point(0, 0, 1, 1, ring, identity_matrix).x; };
    EXPECT_EQ(x_at(-25), 2);
    EXPECT_EQ(x_at(-5), 2);
    EXPECT_FLOAT_EQ(x_at(-15), 3);
    EXPECT_GT(x_at(-24.99f), 2);
    EXPECT_NEAR(x_at(-20), 2 * (std::cos(0.25 * 3.14159) * 0.5 + 1), 1e-5);
    EXPECT_EQ(p->bright_point(0, 0, 1, 1, -15, identity_matrix).z, 1.5f);
}

TEST_F(part4_test, a_cue_1_turns_the_camera_once_round_in_500_ms_without_a_jump)
{
    p->switch_halves();
    p->spin = 0.25f;
    p->second_half_cue(1, 1000);
    float last = p->spin;
    p->aim_camera(s, 1000);
    EXPECT_EQ(p->spin, last);  // no jump on the cue's own frame
    for (float u = 1010; u < 1500; u += 10) {
        p->aim_camera(s, u);
        EXPECT_NEAR(p->spin - last, 10 * 2 * 3.14159 / 500, 1e-4) << u;
        last = p->spin;
    }
    p->aim_camera(s, 1499.9f);
    EXPECT_NEAR(p->spin - 0.25f, 499.9 * 2 * 3.14159 / 500, 1e-4);
    const float turned = p->spin;
    p->aim_camera(s, 1520);
    EXPECT_EQ(p->spin, turned);

    // The camera stands at the spin's azimuth, 12 out.
    const vector eye = eye_of(s.view);
    EXPECT_NEAR(std::atan2(eye.x, eye.z), std::remainder(turned, 2 * M_PI), 1e-4);
    EXPECT_NEAR(std::sqrt(eye.x * eye.x + eye.y * eye.y + eye.z * eye.z), 12, 1e-4);
    EXPECT_NEAR(eye.y, 12 * std::cos(1.3), 1e-4);
}

TEST_F(part4_test, two_cues_4_turn_the_camera_by_0_8_at_once)
{
    p->switch_halves();
    p->aim_camera(s, 3000);
    const vector before = eye_of(s.view);
    p->second_half_cue(4, 3000);
    p->second_half_cue(4, 3000);
    p->aim_camera(s, 3000);
    const vector after = eye_of(s.view);
    EXPECT_FLOAT_EQ(p->spin, 0.8f);
    EXPECT_NEAR(std::atan2(after.x, after.z) - std::atan2(before.x, before.z), 0.8, 1e-5);
}

TEST_F(part4_test, a_cue_2_dives_the_camera_in_and_out_over_700_ms)
{
    p->switch_halves();
    p->second_half_cue(2, 4000);
    auto distance = [&](float u) {
        const float ts = p->aim_camera(s, u);
        const vector eye = eye_of(s.view);
        return std::pair{std::sqrt(eye.x * eye.x + eye.y * eye.y + eye.z * eye.z), ts};
    };
    EXPECT_NEAR(distance(4000).first, 12, 1e-4);
    // Halfway the camera is 2 out and the spread is doubled.
    EXPECT_NEAR(distance(4350).first, 2, 1e-4);
    EXPECT_NEAR(distance(4350).second, 2 * track_value(p->spread_track, 4350), 1e-5);
    EXPECT_NEAR(distance(4700).first, 12, 1e-4);
    EXPECT_NEAR(distance(4701).first, 12, 1e-4);
    EXPECT_EQ(distance(9000).second, track_value(p->spread_track, 9000));
}

TEST_F(part4_test, cues_0_3_and_5_flash_by_part_time_shake_and_start_the_ring)
{
    p->switch_halves();
    set_part_time(31000);
    p->second_half_cue(0, 2500);
    EXPECT_FLOAT_EQ(p->flash->start, 31000);

    p->second_half_cue(5, 2500);
    EXPECT_FLOAT_EQ(p->pulse_time, 2500);

    p->aim_camera(s, 2600);
    const matrix steady = s.view;
    p->second_half_cue(3, 2500);
    p->aim_camera(s, 2600);
    EXPECT_NEAR(s.view(3, 0) - steady(3, 0), 2 * std::sin(100 * 5.0), 1e-4);
    EXPECT_NEAR(s.view(3, 2) - steady(3, 2), std::sin(100 * 57.0), 1e-4);
    // The shake lasts 500 ms: still there at 499, gone at 500.
    p->aim_camera(s, 2999);
    EXPECT_NEAR(s.view(3, 0) - steady(3, 0), 2 * std::sin(499 * 5.0), 1e-4);
    p->aim_camera(s, 3000);
    for (int c = 0; c < 3; ++c)
        EXPECT_FLOAT_EQ(s.view(3, c), steady(3, c)) << c;
}

TEST_F(part4_test, the_spirals_fly_out_of_view_before_the_part_ends)
{
    s.no_effects = 1;
    const long early = brightness(frame_at(35000), 0, 0, test_width, test_height);
    EXPECT_GT(early, 20000);
    frame_at(55000);
    const long late = brightness(frame_at(55800), 0, 0, test_width, test_height);
    EXPECT_LT(late, early / 4);
}

}  // namespace
}  // namespace vorlane
