#include "effects/hbars_effect.h"
#include "effects/vbars_effect.h"
#include "scene/frame.h"
#include "tests/parts/parts_test_support.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

// A bar as the generator should drive it: the glide loop written out.
struct reference_bar {
    int start = 0, duration = 0;
    double from = 0, to = 0;
};

template <typename position>
void advance(reference_bar& b, float t, reference_rand& r, position next)
{
    while (static_cast<float>(b.start + b.duration) <= t) {
        b.start += b.duration;
        b.duration = r.next() % 300 + 500;
        b.from = next(r);
        b.to = next(r);
    }
}

double height(reference_rand& r)
{
    return (r.next() % 2000 - 1000) / 1000.0;
}

double left_x(reference_rand& r)
{
    return (r.next() % 600 - 300) / 1000.0 - 0.6;
}

TEST(hbars, first_frame_starts_every_glide_and_a_late_frame_catches_up)
{
    parts_engine();
    scene s(myengine, 0);
    auto* e = s.make<hbars_effect>();
    for (const bar& b : e->bars) {
        EXPECT_EQ(b.duration, 0);
        EXPECT_FLOAT_EQ(b.size, 0.05f);
    }

    rand_state = 1;
    reference_rand r;
    reference_bar expected[5];
    set_part_time(0);
    e->post_render(s);
    for (int k = 0; k < 5; ++k) {
        advance(expected[k], 0, r, height);
        EXPECT_EQ(e->bars[k].start, 0);
        EXPECT_EQ(e->bars[k].duration, expected[k].duration) << k;
        EXPECT_FLOAT_EQ(e->bars[k].from, static_cast<float>(expected[k].from)) << k;
        EXPECT_FLOAT_EQ(e->bars[k].to, static_cast<float>(expected[k].to)) << k;
    }

    // Five seconds later each bar has run through several glides in one call.
    set_part_time(5000);
    e->post_render(s);
    for (int k = 0; k < 5; ++k) {
        advance(expected[k], 5000, r, height);
        const bar& b = e->bars[k];
        EXPECT_EQ(b.start, expected[k].start) << k;
        EXPECT_GE(b.start, 5000 - 799);
        EXPECT_GT(b.start + b.duration, 5000);
        EXPECT_EQ(b.duration, expected[k].duration) << k;
        EXPECT_FLOAT_EQ(b.from, static_cast<float>(expected[k].from)) << k;
        EXPECT_FLOAT_EQ(b.to, static_cast<float>(expected[k].to)) << k;
        EXPECT_GE(b.from, -1.0f);
        EXPECT_LE(b.from, 0.999f);
    }
    EXPECT_EQ(rand(), r.next());

    // The last bar drawn is the fifth, at its point of the glide.
    const reference_bar& last = expected[4];
    const double u = (5000.0 - last.start) / last.duration;
    const device& d = *pd3dDev;
    EXPECT_NEAR(d.state.world.m[13], (1 - u) * last.from + u * last.to, 1e-5);
    EXPECT_FLOAT_EQ(d.state.world.m[5], 0.05f);
    EXPECT_FLOAT_EQ(d.state.world.m[0], 1);
}

TEST(hbars, opacity_falls_from_one_to_point_eight_between_three_and_eight_seconds)
{
    parts_engine();
    scene s(myengine, 0);
    auto* e = s.make<hbars_effect>();
    const device& d = *pd3dDev;
    const float times[] = {0, 3000, 5500, 8000, 60000};
    const float opacities[] = {1.0f, 1.0f, 0.9f, 0.8f, 0.8f};
    for (int k = 0; k < 5; ++k) {
        set_part_time(static_cast<int>(times[k]));
        e->post_render(s);
        EXPECT_FLOAT_EQ(d.state.material.diffuse.a, opacities[k]) << times[k];
        EXPECT_FLOAT_EQ(s.materials.at(e->material)->colour.a, opacities[k]);
    }
    // Each bar multiplies the picture under it by the opacity.
    EXPECT_EQ(d.state.srcblend, static_cast<std::uint32_t>(D3DBLEND_ZERO));
    EXPECT_EQ(d.state.destblend, static_cast<std::uint32_t>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(d.state.stages[0].alpha_arg1, static_cast<std::uint32_t>(D3DTA_DIFFUSE));
    EXPECT_EQ(d.state.zwriteenable, 0u);
    for (int k = 0; k < 16; ++k) {
        EXPECT_FLOAT_EQ(d.state.view.m[k], identity_matrix.e[k]);
        EXPECT_FLOAT_EQ(d.state.projection.m[k], identity_matrix.e[k]);
    }
}

TEST(hbars, bars_darken_only_their_own_band_of_the_picture)
{
    parts_engine();
    scene s(myengine, 0);
    s.clear_colour = 0xFFFFFFFF;
    auto* e = s.make<hbars_effect>();
    set_part_time(9000);
    render(s);
    const std::vector<std::uint32_t> frame = frame_pixels();
    // Rows inside a bar are at most 0.8 of white (less where two bars
    // cross), the others untouched.
    int darkened = 0;
    for (int y = 0; y < test_height; ++y) {
        const int red = (frame.at(y * test_width + 5) >> 16) & 255;
        EXPECT_TRUE(red == 255 || red <= 206) << y << " " << red;
        darkened += red != 255;
    }
    EXPECT_GT(darkened, 0);
    EXPECT_LE(darkened, 5 * 3 + 5);
    (void)e;
}

TEST(vbars, glides_stay_on_the_left_and_opacity_follows_its_track)
{
    parts_engine();
    scene s(myengine, 0);
    rand_state = 1;
    auto* e = s.make<vbars_effect>();
    EXPECT_EQ(e->opacity_track.key_count, 20);
    EXPECT_EQ(e->opacity_track.spline, 0);
    reference_rand r;
    reference_bar expected[5];
    const device& d = *pd3dDev;

    const int times[] = {0, 4000, 9000, 17500, 30000, 45000};
    const float opacities[] = {1.0f, 0.95f, 0.9f, 0.95f, 1.0f, 0.9f + 0.1f / 7};
    for (int k = 0; k < 6; ++k) {
        set_part_time(times[k]);
        e->post_render(s);
        EXPECT_NEAR(d.state.material.diffuse.a, opacities[k], 1e-6) << times[k];
        for (int b = 0; b < 5; ++b) {
            advance(expected[b], static_cast<float>(times[k]), r, left_x);
            EXPECT_EQ(e->bars[b].duration, expected[b].duration);
            EXPECT_FLOAT_EQ(e->bars[b].to, static_cast<float>(expected[b].to));
            EXPECT_GE(e->bars[b].to, -0.9f);
            EXPECT_LE(e->bars[b].to, -0.301f + 1e-6f);
        }
    }
    EXPECT_FLOAT_EQ(d.state.world.m[0], 0.03f);
    EXPECT_FLOAT_EQ(d.state.world.m[5], 1);
    EXPECT_EQ(d.state.srcblend, static_cast<std::uint32_t>(D3DBLEND_ZERO));
    EXPECT_EQ(d.state.destblend, static_cast<std::uint32_t>(D3DBLEND_SRCALPHA));
}

TEST(bar, waits_at_its_start_before_the_first_glide)
{
    bar b;
    rand_state = 1;
    int calls = 0;
    const float y = b.position(-2500, [&] {
        ++calls;
        return 0.5f;
    });
    EXPECT_EQ(y, 0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(b.duration, 0);
}

}  // namespace
}  // namespace vorlane
