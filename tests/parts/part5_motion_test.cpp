#include "parts/part5.h"
#include "tests/parts/parts_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlane {
namespace {

float distance(const vector& a, const vector& b)
{
    vector d;
    d.difference(a, b);
    return d.length();
}

TEST(part5_clock, stands_still_for_the_camera_turn_then_runs_5000_ms_behind)
{
    const int table[][2] = {{0, 0},         {18250, 18250}, {18251, 18250},
                            {23250, 18250}, {23251, 18251}, {29666, 24666}};
    for (const auto& row : table) {
        set_part_time(row[0]);
        EXPECT_EQ(part5_clock(), row[1]) << row[0];
    }
}

TEST(part5_spawn, throws_particles_close_around_the_group_centre_in_the_rand_order)
{
    parts_engine();
    scene s(myengine, 0);
    set_part_time(0);
    int (*kept_clock)() = time_func;
    auto* p = s.make<part5>();
    time_func = kept_clock;
    p->centres[3].set(40, -20, 10, 0);
    rand_state = 77;
    reference_rand r{77};
    p->spawn(3, 10, 400, 5000);

    // The first particle, drawn again by hand: x, y, z, then the test.
    int x, y, z;
    do {
        x = r.next() % 100 - 50;
        y = r.next() % 100 - 50;
        z = r.next() % 100 - 50;
    } while (r.next() % 100 > std::pow(1 - (x * x + y * y + z * z) / 2500.0, 5) * 100 - 10);
    const particle& first = p->particles[10];
    EXPECT_FLOAT_EQ(first.pos.x, x + 40.0f);
    EXPECT_FLOAT_EQ(first.pos.y, y - 20.0f);
    EXPECT_FLOAT_EQ(first.pos.z, z + 10.0f);
    EXPECT_FLOAT_EQ(first.next_turn, r.next() % 400 + 5000.0f);

    // The test fails wherever the power term is below 0.1: beyond radius
    // sqrt(2500 (1 - 0.1^0.2)), about 30.4, well inside 50.
    float mean = 0;
    for (int n = 10; n < 400; ++n) {
        const particle& q = p->particles[n];
        const float d = distance(q.pos, p->centres[3]);
        EXPECT_LT(d, 30.4f) << n;
        mean += d / 390;
        EXPECT_EQ(q.group, 3);
        EXPECT_EQ(q.vel.length(), 0);
        EXPECT_GE(q.next_turn, 5000);
        EXPECT_LT(q.next_turn, 5400);
    }
    EXPECT_LT(mean, 18);  // crowded towards the centre
    EXPECT_EQ(p->particles[9].group, 0);
    EXPECT_EQ(p->particles[400].group, 0);
}

// The axis the next turn picks, and the sign it would draw for a particle
// with distance measure d.
struct next_turn_draws {
    int axis;
    float sign;
};
next_turn_draws peek_turn(float d)
{
    reference_rand r{rand_state};
    const float sign = r.next() % 1000 > static_cast<int>((1 - d) * 1000) ? -1.0f : 1.0f;
    return {(r.next() >> 8) % 3, sign};
}

TEST(part5_particle, turns_along_one_axis_away_near_the_centre_and_back_far_from_it)
{
    for (std::uint32_t seed = 1; seed < 40; ++seed) {
        rand_state = seed;
        // At the centre on the chosen axis only: sign x d^2 along it.
        const next_turn_draws draws = peek_turn(0.72f);
        float o[3] = {30, 30, 30};
        o[draws.axis] = 0;
        particle p;
        p.vel.set(5, 5, 5, 0);
        p.turn(vector{o[0], o[1], o[2], 0}, 3000);
        const float v[3] = {p.vel.x, p.vel.y, p.vel.z};
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_FLOAT_EQ(v[axis], axis == draws.axis ? draws.sign * 0.72f * 0.72f : 0) << seed;
        EXPECT_FLOAT_EQ(p.last_move, 3000);
        EXPECT_GE(p.next_turn, 4000);
        EXPECT_LT(p.next_turn, 4100);

        // Beyond radius 50 always back towards the centre, at full speed.
        const float far_offset[3] = {-60, 70, 80};
        particle far;
        far.turn(vector{far_offset[0], far_offset[1], far_offset[2], 0}, 3000);
        const float fv[3] = {far.vel.x, far.vel.y, far.vel.z};
        int moving = 0;
        for (int axis = 0; axis < 3; ++axis)
            if (fv[axis] != 0) {
                ++moving;
                EXPECT_FLOAT_EQ(fv[axis], far_offset[axis] > 0 ? -1 : 1) << seed;
            }
        EXPECT_EQ(moving, 1) << seed;
    }
}

TEST(part5_particle, does_not_move_on_a_turn_frame_and_bounces_while_outside_the_box)
{
    rand_state = 5;
    particle p;
    p.pos.set(10, 0, 0, 0);
    p.vel.set(1, 0, 0, 0);
    p.last_move = 1000;
    p.next_turn = 1200;
    p.turn(vector{10, 0, 0, 0}, 1100);  // not due yet
    EXPECT_FLOAT_EQ(p.vel.x, 1);
    p.move(1100);
    EXPECT_FLOAT_EQ(p.pos.x, 15);  // 100 ms at 1 unit per 20 ms
    p.turn(vector{15, 0, 0, 0}, 1200);
    p.move(1200);
    EXPECT_FLOAT_EQ(p.pos.x, 15);
    EXPECT_FLOAT_EQ(p.last_move, 1200);

    // Outside on one axis: reversed on every frame it stays outside.
    particle out;
    out.pos.set(0, 101, 0, 0);
    out.vel.set(0, 1, 0, 0);
    const float expected[] = {-1, 1, -1};
    for (float v : expected) {
        out.move(out.last_move);
        EXPECT_FLOAT_EQ(out.vel.y, v);
    }
    out.move(out.last_move + 40);  // back inside at 99
    out.move(out.last_move);
    EXPECT_FLOAT_EQ(out.pos.y, 99);
    EXPECT_FLOAT_EQ(out.vel.y, -1);
}

}  // namespace
}  // namespace vorlane
