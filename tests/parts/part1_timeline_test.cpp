#include "parts/part1.h"
#include "tests/parts/parts_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlane {
namespace {

// Part 1 on its own scene; frames are driven by calling the part directly
// at chosen part times (ms; one frame unit is 50 ms).
struct part1_timeline : testing::Test {
    void SetUp() override
    {
        parts_fonts();
        set_part_time(0);
        p = s.make<part1>();
    }
    void pre_at(int ms)
    {
        set_part_time(ms);
        p->pre_render(s);
    }
    float layer0_scroll() { return s.materials.at(0)->layers[0].tex_matrix(3, 1); }

    scene s{parts_engine(), 0};
    part1* p = nullptr;
};

TEST_F(part1_timeline, early_zoom_updates_come_at_most_every_second_frame)
{
    pre_at(0);
    EXPECT_FLOAT_EQ(p->last_time, 0);
    pre_at(50);  // d = 1: too soon, the layers keep their matrices
    EXPECT_FLOAT_EQ(p->last_time, 0);
    EXPECT_FLOAT_EQ(layer0_scroll(), 0);

    // At 20 frames a second an update comes once the interval has passed.
    float last = 0;
    int updates = 0;
    for (int ms = 100; ms <= 2850; ms += 50) {
        const float d = static_cast<float>(ms) / 1000 * 20;
        const bool due = last + track_value(p->interval_track, d) <= d;
        pre_at(ms);
        ASSERT_EQ(p->last_time == d, due) << ms;
        if (due) {
            EXPECT_GE(d - last, 2);
            EXPECT_NEAR(layer0_scroll(), d / 50, 1e-6);
            last = d;
            ++updates;
        }
    }
    EXPECT_GE(updates, 15);
    EXPECT_LE(updates, 28);
}

TEST_F(part1_timeline, from_142_5_frames_every_frame_updates)
{
    pre_at(7500);  // d = 150
    EXPECT_FLOAT_EQ(p->last_time, 150);
    pre_at(7510);  // d = 150.2, interval 0.1
    EXPECT_FLOAT_EQ(p->last_time, 150.2f);
    pre_at(7513);  // d = 150.26: within 0.1
    EXPECT_FLOAT_EQ(p->last_time, 150.2f);
}

TEST_F(part1_timeline, layers_turn_about_their_own_points_and_slide_away_in_turn)
{
    pre_at(10000);  // d = 200: layer 1 slides since 190, layer 2 from 209
    const object& l0 = *s.objects.at(0);
    const object& l1 = *s.objects.at(1);
    const object& l2 = *s.objects.at(2);
    EXPECT_FLOAT_EQ(l0.world(0, 0), 2);  // layer 0 is not turned
    EXPECT_FLOAT_EQ(l0.world(3, 1), 0);
    // Layer 1: 70/256 of a turn, pushed up by (200 - 190) / 50 / 0.32
    // = 0.625 along its turned y axis; the translation row is not scaled.
    const double angle = 70 * trig_step;
    EXPECT_NEAR(l1.world(0, 0), 2 * std::cos(angle), 1e-5);
    EXPECT_NEAR(l1.world(3, 1), 0.625 * std::cos(angle), 1e-5);
    EXPECT_NEAR(l1.world(3, 0), -0.625 * std::sin(angle), 1e-5);
    EXPECT_FLOAT_EQ(l2.world(3, 1), 0);
    EXPECT_FLOAT_EQ(l1.world(2, 2), 1);

    // The texture of layer 1 scrolls sideways too, magnified by 0.32.
    const matrix& tm = s.materials.at(1)->layers[0].tex_matrix;
    EXPECT_NEAR(tm(0, 0), 0.32 * std::cos(angle), 1e-5);
    EXPECT_NEAR(tm(1, 1), -0.32 * std::cos(angle), 1e-5);
    EXPECT_FLOAT_EQ(tm(2, 2), 0);
}

TEST_F(part1_timeline, switches_to_one_fogged_layer_on_the_first_frame_past_285)
{
    pre_at(14250);  // d = 285 exactly: still zooming
    EXPECT_EQ(p->phase, 0);
    EXPECT_FLOAT_EQ(p->last_time, 285);
    const matrix before = s.objects.at(0)->world;

    device& d = *pd3dDev;
    d.set_render_state(D3DRS_FOGENABLE, 0);
    pre_at(14260);  // d = 285.2
    EXPECT_EQ(p->phase, 1);
    EXPECT_EQ(d.state.fogenable, 1u);
    EXPECT_EQ(d.state.fogcolor, 0u);
    EXPECT_EQ(d.state.fogtablemode, static_cast<std::uint32_t>(D3DFOG_LINEAR));
    EXPECT_FLOAT_EQ(d.state.fogstart, 6);
    EXPECT_FLOAT_EQ(d.state.fogend, 10);
    EXPECT_TRUE(s.objects.at(0)->meshes[0].visible);
    for (int i = 1; i < 4; ++i)
        EXPECT_FALSE(s.objects.at(i)->meshes[0].visible) << i;
    EXPECT_FLOAT_EQ(s.objects.at(0)->world(0, 0), before(0, 0) * 10);
    EXPECT_FLOAT_EQ(s.objects.at(0)->world(1, 1), before(1, 1) * 10);
    EXPECT_FLOAT_EQ(s.objects.at(0)->world(2, 2), before(2, 2));

    // The scroll starts at d / 50 and then moves by the speed per frame.
    const float start = 285.2f / 50;
    EXPECT_NEAR(layer0_scroll(), start, 1e-5);
    EXPECT_NEAR(p->scroll_y, start, 1e-5);
    pre_at(14300);  // d = 286
    EXPECT_NEAR(p->scroll_y, start + 0.8f * track_value(p->speed_track, 286), 1e-5);
    EXPECT_FLOAT_EQ(s.materials.at(0)->layers[0].tex_matrix(0, 0), 0.32f);
    EXPECT_FLOAT_EQ(s.materials.at(0)->layers[0].tex_matrix(1, 1), -0.32f);

    // No zoom update any more: layer 1's world stays as it was.
    const matrix layer1 = s.objects.at(1)->world;
    pre_at(15000);
    EXPECT_EQ(p->phase, 1);
    for (int k = 0; k < 16; ++k)
        EXPECT_FLOAT_EQ(s.objects.at(1)->world.e[k], layer1.e[k]);
}

TEST_F(part1_timeline, camera_tilts_up_to_0_49_and_holds)
{
    pre_at(14260);
    EXPECT_NEAR(s.view(1, 1), 1, 1e-6);
    for (int ms : {16625, 19000, 19500}) {  // 332.5 frames and after
        pre_at(ms);
        EXPECT_NEAR(s.view(1, 1), std::cos(0.49), 1e-6) << ms;
        EXPECT_NEAR(s.view(1, 2), std::sin(0.49), 1e-6) << ms;
        EXPECT_FLOAT_EQ(s.view(3, 2), -0.3f);
    }
}

TEST_F(part1_timeline, title_appears_at_361_frames_then_echoes_200_times)
{
    device& d = *pd3dDev;
    d.set_render_state(D3DRS_CULLMODE, D3DCULL_CCW);
    set_part_time(18000);  // d = 360
    d3d_material marker;
    marker.diffuse.r = 0.5f;
    d.set_material(marker);
    p->post_render(s);
    EXPECT_EQ(d.state.cullmode, static_cast<std::uint32_t>(D3DCULL_CCW));
    EXPECT_FLOAT_EQ(d.state.material.diffuse.r, 0.5f);

    set_part_time(18150);  // d = 363: brightening, 3 x 0.2 of the colour
    p->post_render(s);
    EXPECT_EQ(d.state.cullmode, static_cast<std::uint32_t>(D3DCULL_NONE));
    EXPECT_NEAR(d.state.material.diffuse.r, 6, 1e-4);
    EXPECT_FLOAT_EQ(s.materials.at(4)->colour.r, 10);  // put back
    EXPECT_FLOAT_EQ(d.state.world.m[0], 0.125f);
    EXPECT_FLOAT_EQ(d.state.world.m[5], 0.125f);
    EXPECT_FLOAT_EQ(d.state.world.m[13], 0.3f);
    EXPECT_EQ(d.state.textures[0], *myengine.textures.at(label_tex[1]));

    set_part_time(19000);  // d = 380: the last of the echoes is left
    p->post_render(s);
    const float e = track_value(p->echo_track, 380);
    const float g = track_value(p->growth_track, 380);
    EXPECT_NEAR(d.state.material.diffuse.r, 3 * (e - 0.199), 1e-4);
    EXPECT_NEAR(d.state.world.m[0], 0.125 * (199 * g + 1), 1e-6);
    EXPECT_NEAR(d.state.world.m[14], -199.0 / 200, 1e-6);
    EXPECT_FLOAT_EQ(s.materials.at(4)->colour.r, 10);
}

}  // namespace
}  // namespace vorlane
