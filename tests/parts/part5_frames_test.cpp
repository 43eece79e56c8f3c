#include "effects/flash_effect.h"
#include "parts/part5.h"
#include "scene/frame.h"
#include "scene/scene_anim_effect.h"
#include "tests/parts/parts_test_support.h"
#include "tests/scene/test_scene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlane {
namespace {

// Part 5 on a scene left as the fourth part leaves it: material 2 is a
// word sprite's (alpha from a texture, here opaque on its left half only),
// vertices 10 to 13 keep the sprite's texture coordinates and stage 0
// selects its first argument.
struct part5_frames : testing::Test {
    void SetUp() override
    {
        parts_engine();
        en->clear_pictures();
        unsigned char* map = en->new_picture(64, 64, 1);
        for (int i = 0; i < 64 * 64; ++i)
            map[i] = i % 64 < 32 ? 0 : 255;
        material* word = s.materials.at(2);
        layer* l = word->add_layer();
        l->texture = en->create_alpha_texture(0);
        l->alpha_from_texture = 1;
        const float uv[4][2] = {{1, 0}, {0, 0}, {1, 1}, {0, 1}};
        s.vb.lock();
        for (int k = 0; k < 4; ++k) {
            s.vb.vertex(10 + k)->u = uv[k][0];
            s.vb.vertex(10 + k)->v = uv[k][1];
        }
        s.vb.unlock();
        device& d = *pd3dDev;
        d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d.set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
        set_part_time(0);
        flash_cursor = 0;
        kept_clock = time_func;
        p = s.make<part5>();
    }
    void TearDown() override
    {
        pd3dDev->set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        time_func = kept_clock;
    }
    std::vector<std::uint32_t> frame_at(int ms)
    {
        set_part_time(ms);
        render(s);
        return frame_pixels();
    }
    scene s{parts_engine(), 0};
    part5* p = nullptr;
    int (*kept_clock)() = nullptr;
};

TEST_F(part5_frames, the_part_then_the_flash_on_material_2_then_the_animation_on_its_clock)
{
    ASSERT_EQ(s.no_effects, 3);
    EXPECT_EQ(*s.effects.at(0), p);
    EXPECT_EQ(*s.effects.at(1), p->flash);
    EXPECT_EQ(p->flash->first_vertex, 10);
    EXPECT_EQ(p->flash->material, 2);
    EXPECT_EQ(part_length, 29666);
    EXPECT_EQ(s.no_objects, 0);

    // Objects 1 and 2 move linearly between keys, the others on splines;
    // the animation follows the stretched clock.
    auto* anim = static_cast<scene_anim_effect*>(*s.effects.at(2));
    EXPECT_EQ(anim->end_object, 12);
    for (int i = 0; i < anim->end_object; ++i)
        EXPECT_EQ(s.objects.at(i)->anim.tracks[0].spline, i == 1 || i == 2 ? 0 : 1) << i;
    EXPECT_EQ(time_func, &part5_clock);
    set_part_time(20000);
    anim->pre_render(s);
    matrix expected;
    s.objects.at(1)->anim.evaluate(18250 * 30 / 1000.0f, expected);
    for (int c = 0; c < 3; ++c)
        EXPECT_FLOAT_EQ(s.objects.at(1)->world(3, c), expected(3, c)) << c;
    EXPECT_FLOAT_EQ(s.fov, 3.2f);
}

TEST_F(part5_frames, faces_are_flat_lit_by_the_sun_from_their_first_vertex)
{
    // The part alone, with a camera of our own looking at the two leading
    // cubes at the origin; the blue light far away.
    s.no_effects = 1;
    s.objects.at(3)->world(3, 2) = 1000;
    s.projection(3, 3) = 0;
    s.projection.perspective(0.1f, 100, 1.5f);
    auto look = [&](vector forward, vector up) {
        matrix placement;
        vector right;
        right.cross(up, forward);
        placement.set_row(0, right);
        placement.set_row(1, up);
        placement.set_row(2, forward);
        placement.set_row(3, vector{-3 * forward.x, -3 * forward.y, -3 * forward.z, 1});
        placement.rigid_inverse();
        s.view = placement;
        const std::vector<std::uint32_t> f = frame_at(1000);
        return f.at(test_height / 2 * test_width + test_width / 2);
    };
    // Colour at the group centre (0.3, 0.15, 0.35). The frame's ambient
    // and the sun's own add 0x60 / 255 + 0.5; the sun shines along
    // (1, 1, 0), and the normals, scaled with the half-size cube, reach
    // it at 2 cos 45 degrees.
    const float lit = 0x60 / 255.0f + 0.5f + 0.5f * 2 * std::sqrt(0.5f);
    const float unlit = 0x60 / 255.0f + 0.5f;
    auto expect_colour = [](std::uint32_t pixel, float light, const char* face) {
        EXPECT_NEAR(channel(pixel, 16), 0.3f * light * 255, 1.5) << face;
        EXPECT_NEAR(channel(pixel, 8), 0.15f * light * 255, 1.5) << face;
        EXPECT_NEAR(channel(pixel, 0), 0.35f * light * 255, 1.5) << face;
    };
    expect_colour(look({1, 0, 0, 0}, {0, 1, 0, 0}), lit, "-x");
    expect_colour(look({0, 1, 0, 0}, {0, 0, 1, 0}), lit, "-y");
    expect_colour(look({0, 0, 1, 0}, {0, 1, 0, 0}), unlit, "-z");
    expect_colour(look({0, -1, 0, 0}, {0, 0, 1, 0}), unlit, "+y");
}

TEST_F(part5_frames, faces_fade_and_edges_glow_by_animation_frame)
{
    struct row {
        int ms;               // part time
        int face_blend;
        float face_alpha;     // when blended
        int edge_blend;
        float edge_alpha;
        bool dark_edges;
    };
    // Animation frames 150, 300, 420, 519, 520.5, 531, 547.5 (the camera's
    // turn), 630, 631.
    const row table[] = {
        {5000, 0, 0, 1, 0, false},           {10000, 1, 0.6667f, 1, 0.5f, false},
        {14000, 1, 0.4167f, 0, 1, false},    {17300, 1, 0.0042f, 0, 1, false},
        {17350, 1, 0.5f, 0, 1, false},       {17700, 0, 0, 0, 1, true},
        {22000, 0, 0, 0, 1, true},           {26000, 0, 0, 0, 1, false},
        {26034, 0, 0, 1, 0, false},
    };
    for (const row& r : table) {
        set_part_time(r.ms);
        p->post_render(s);
        const material& faces = *s.materials.at(0);
        const material& edges = *s.materials.at(1);
        EXPECT_EQ(faces.blend, r.face_blend) << r.ms;
        if (r.face_blend == 1) {
            EXPECT_NEAR(faces.colour.a, r.face_alpha, 1e-3) << r.ms;
        }
        EXPECT_EQ(edges.blend, r.edge_blend) << r.ms;
        EXPECT_NEAR(edges.colour.a, r.edge_alpha, 1e-3) << r.ms;
        EXPECT_EQ(edges.colour.r + edges.colour.g + edges.colour.b == 0, r.dark_edges) << r.ms;
    }
}

TEST_F(part5_frames, both_flashes_show_the_word_texture_and_the_cursor_stops_at_the_end)
{
    frame_at(17200);
    EXPECT_EQ(flash_cursor, 0);
    const std::vector<std::uint32_t> first = frame_at(17290);
    EXPECT_EQ(flash_cursor, 1);
    // The word's texture is opaque on the left: white there, the cubes on
    // black elsewhere.
    auto white = [](const std::vector<std::uint32_t>& f, int x0, int x1) {
        int n = 0;
        for (int y = 0; y < test_height; ++y)
            for (int x = x0; x < x1; ++x)
                n += (f.at(y * test_width + x) & 0xFFFFFF) == 0xFFFFFF;
        return n;
    };
    EXPECT_EQ(white(first, 2, 28), 26 * test_height);
    EXPECT_EQ(white(first, 36, 64), 0);

    // The second time falls in the camera's turn, 5000 ms of part time
    // after the clock reached it: it still flashes when it fires.
    EXPECT_EQ(white(frame_at(25900), 2, 28), 0);
    EXPECT_EQ(white(frame_at(25951), 2, 28), 26 * test_height);
    EXPECT_EQ(flash_cursor, 2);
    EXPECT_EQ(white(frame_at(26300), 2, 28), 0);

    // The third lies beyond the part; past it the cursor stays at the end.
    for (int ms : {29666, 33000, 34000}) {
        set_part_time(ms);
        p->post_render(s);
    }
    EXPECT_EQ(flash_cursor, 3);
}

TEST_F(part5_frames, groups_are_thrown_out_again_one_step_a_frame)
{
    // Far past every step frame, the steps still come one per frame.
    for (int stage = 1; stage <= 4; ++stage) {
        set_part_time(29000);
        p->post_render(s);
        EXPECT_EQ(p->spawn_stage, stage);
    }
    p->post_render(s);
    EXPECT_EQ(p->spawn_stage, 4);
    // The last step threw 333-443 around group 7's centre, the origin.
    for (int n = 333; n < 444; ++n) {
        EXPECT_EQ(p->particles[n].group, 7);
        EXPECT_LT(p->particles[n].pos.length(), 31) << n;
    }
    EXPECT_EQ(p->particles[444].group, 3);
}

TEST_F(part5_frames, the_camera_turns_once_about_the_vertical_axis_while_the_clock_stands)
{
    set_part_time(18250);
    render(s);
    matrix still = s.view;
    still.rigid_inverse();
    set_part_time(19500);  // a quarter turn
    render(s);
    matrix turned = s.view;
    turned.rigid_inverse();
    const vector a = still.row(3), b = turned.row(3);
    EXPECT_NEAR(b.y, a.y, 1e-3);
    EXPECT_NEAR(std::hypot(b.x, b.z), std::hypot(a.x, a.z), 1e-2);
    EXPECT_NEAR(a.x * b.x + a.z * b.z, 0, 1e-2 * (a.x * a.x + a.z * a.z));
}

}  // namespace
}  // namespace vorlane
