#include "effects/letterbox_effect.h"
#include "effects/text_sprite_effect.h"
#include "parts/part1.h"
#include "tests/parts/parts_test_support.h"

#include <gtest/gtest.h>

#include <set>

namespace vorlane {
namespace {

struct part1_construction : testing::Test {
    void SetUp() override
    {
        parts_engine();
        parts_fonts();
        set_part_time(0);
        p = s.make<part1>();
    }
    scene s{parts_engine(), 0};
    part1* p = nullptr;
};

TEST(part1_start, applies_the_start_up_state_block_each_time)
{
    parts_engine();
    parts_fonts();
    device& d = *pd3dDev;
    d.set_render_state(D3DRS_FOGENABLE, 1);
    d.set_render_state(D3DRS_CULLMODE, D3DCULL_CW);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    scene s(myengine, 0);
    set_part_time(0);
    s.make<part1>();
    EXPECT_EQ(d.state.fogenable, 0u);
    EXPECT_EQ(d.state.cullmode, static_cast<std::uint32_t>(D3DCULL_NONE));
    EXPECT_EQ(d.state.stages[0].color_arg1, static_cast<std::uint32_t>(D3DTA_TEXTURE));
    EXPECT_EQ(part_length, 19500);
}

TEST(part1_start, without_a_state_block_the_show_cannot_start)
{
    parts_engine();
    device_state_block* kept = state_block;
    state_block = nullptr;
    scene s(myengine, 0);
    EXPECT_EXIT(s.make<part1>(), testing::ExitedWithCode(255), "kupa2");
    state_block = kept;
}

TEST_F(part1_construction, label_textures_hold_the_noise_the_title_and_part_two_words)
{
    std::set<int> numbers(label_tex, label_tex + label_count);
    EXPECT_EQ(numbers.size(), 14u);

    // Noise: white characters at alpha 95 on a clear background, in rows
    // all over the picture.
    const std::vector<std::uint8_t>& noise = texels(label_tex[0]);
    ASSERT_EQ(noise.size(), 256u * 256 * 4);
    int inked_rows = 0;
    for (int y = 0; y < 256; ++y) {
        bool inked = false;
        for (int x = 0; x < 256; ++x) {
            const std::uint8_t a = noise[(y * 256 + x) * 4 + 3];
            ASSERT_TRUE(a == 0 || a == 95) << x << "," << y;
            ASSERT_EQ(noise[(y * 256 + x) * 4], 255);
            inked = inked || a == 95;
        }
        inked_rows += inked;
    }
    EXPECT_GT(inked_rows, 150);

    // Title and labels: opaque ink on a clear 256 x 64 picture; the
    // monospaced title takes exactly five 32-pixel cells.
    for (int n = 1; n < label_count; ++n) {
        const std::vector<std::uint8_t>& t = texels(label_tex[n]);
        ASSERT_EQ(t.size(), 256u * 64 * 4) << n;
        int ink = 0;
        for (std::size_t i = 3; i < t.size(); i += 4) {
            ASSERT_TRUE(t[i] == 0 || t[i] == 255) << n;
            ink += t[i] == 255;
        }
        EXPECT_GT(ink, 300) << n;
    }
    const std::vector<std::uint8_t>& title = texels(label_tex[1]);
    for (int y = 0; y < 64; ++y)
        for (int x = 160; x < 256; ++x)
            ASSERT_EQ(title[(y * 256 + x) * 4 + 3], 0) << x << "," << y;

    // The series differ only in their last digit, and from each other.
    for (int a = 4; a < label_count; ++a)
        for (int b = a + 1; b < label_count; ++b)
            EXPECT_NE(texels(label_tex[a]), texels(label_tex[b])) << a << " " << b;
    const std::vector<std::uint8_t>& grn0 = texels(label_tex[4]);
    const std::vector<std::uint8_t>& grn1 = texels(label_tex[5]);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
            ASSERT_EQ(grn0[(y * 256 + x) * 4 + 3], grn1[(y * 256 + x) * 4 + 3]);
}

TEST_F(part1_construction, four_layers_of_one_quad_under_a_perspective_camera)
{
    ASSERT_EQ(s.no_objects, 4);
    ASSERT_EQ(s.no_meshes, 4);
    for (int i = 0; i < 4; ++i) {
        const object& o = *s.objects.at(i);
        ASSERT_EQ(o.mesh_count, 1);
        const mesh& m = o.meshes[0];
        EXPECT_EQ(m.min_index, 0);
        EXPECT_EQ(m.num_vertices, 4);
        EXPECT_EQ(m.start_index, 0);
        EXPECT_EQ(m.prim_count, 2);
        EXPECT_EQ(m.material, i);
        EXPECT_EQ(m.object, i);
        EXPECT_TRUE(m.visible);
        EXPECT_EQ(*s.draw_list.at(i), &m);
    }
    s.vb.lock();
    const float expected[4][4] = {{-1, -1, 0, 0}, {1, -1, 0.625f, 0}, {1, 1, 0.625f, 1}, {-1, 1, 0, 1}};
    for (int k = 0; k < 4; ++k) {
        const fvf_vertex& v = *s.vb.vertex(k);
        EXPECT_FLOAT_EQ(v.x, expected[k][0]);
        EXPECT_FLOAT_EQ(v.y, expected[k][1]);
        EXPECT_FLOAT_EQ(v.z, 1);
        EXPECT_FLOAT_EQ(v.u, expected[k][2]);
        EXPECT_FLOAT_EQ(v.v, expected[k][3]);
    }
    s.vb.unlock();
    s.ib.lock();
    const int indices[6] = {0, 1, 2, 0, 2, 3};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(*s.ib.index(k), indices[k]);
    s.ib.unlock();

    EXPECT_FLOAT_EQ(s.projection(0, 0), 1.125f);
    EXPECT_FLOAT_EQ(s.projection(1, 1), 1.5f);
    EXPECT_FLOAT_EQ(s.projection(2, 3), 1);
    EXPECT_FLOAT_EQ(s.projection(3, 3), 0);
    EXPECT_NEAR(s.projection(3, 2), -0.1 * 1000 / 999.9, 1e-6);
    EXPECT_FLOAT_EQ(s.view(3, 2), -0.3f);
    EXPECT_FALSE(s.depth_sort);
    EXPECT_FLOAT_EQ(s.frames_per_second, 20);
    ASSERT_EQ(s.no_lights, 1);
    EXPECT_EQ(s.lights.at(0)->type, 1);
    EXPECT_FLOAT_EQ(s.lights.at(0)->position.w, 1);
    EXPECT_FLOAT_EQ(s.lights.at(0)->colour.g, 1);
}

TEST_F(part1_construction, five_additive_materials_noise_from_camera_space_and_the_title)
{
    for (int m = 0; m < 5; ++m) {
        const material& mat = *s.materials.at(m);
        ASSERT_EQ(mat.no_layers, 1);
        EXPECT_EQ(mat.blend, 2);
        EXPECT_FLOAT_EQ(mat.colour.r, 10);
        EXPECT_FLOAT_EQ(mat.colour.b, 10);
        EXPECT_FLOAT_EQ(mat.colour.a, 1);
        EXPECT_EQ(mat.layers[0].alpha_from_texture, 1);
        EXPECT_EQ(mat.layers[0].texture, label_tex[m < 4 ? 0 : 1]);
        EXPECT_EQ(mat.layers[0].texgen, m < 4 ? 1 : 0);
    }
}

TEST_F(part1_construction, the_part_comes_first_then_the_444_and_the_bars)
{
    ASSERT_EQ(s.no_effects, 3);
    EXPECT_EQ(*s.effects.at(0), p);
    auto* text = static_cast<text_sprite_effect*>(*s.effects.at(1));
    auto* bars = static_cast<letterbox_effect*>(*s.effects.at(2));
    EXPECT_EQ(text->first_vertex, 4);
    EXPECT_EQ(text->material, 5);
    EXPECT_EQ(bars->first_vertex, 8);
    EXPECT_EQ(bars->material, 6);
    EXPECT_EQ(s.no_vertices, 12);
    EXPECT_EQ(s.no_materials, 7);

    // The "444" fades in from 0.5 s, holds 0.8 and fades out by 15.5 s.
    EXPECT_EQ(text->brightness_track.key_count, 20);
    EXPECT_FLOAT_EQ(track_value(text->brightness_track, 250), 0);
    EXPECT_FLOAT_EQ(track_value(text->brightness_track, 750), 0.4f);
    EXPECT_FLOAT_EQ(track_value(text->brightness_track, 10000), 0.8f);
    EXPECT_FLOAT_EQ(track_value(text->brightness_track, 16000), 0);
    EXPECT_FLOAT_EQ(track_value(text->x_track, 5000), 0);
}

TEST_F(part1_construction, tracks_hold_their_keys_and_end_modes)
{
    EXPECT_EQ(p->scale_track.key_count, 11);
    EXPECT_EQ(p->interval_track.key_count, 5);
    EXPECT_EQ(p->tilt_track.key_count, 4);
    EXPECT_EQ(p->speed_track.key_count, 8);
    EXPECT_EQ(p->echo_track.key_count, 5);
    EXPECT_EQ(p->growth_track.key_count, 4);
    EXPECT_EQ(p->tilt_track.end_mode, end_hold);
    EXPECT_FLOAT_EQ(p->tilt_track.period, 332.5f);
    EXPECT_EQ(p->scale_track.end_mode, end_wrap);
    EXPECT_FLOAT_EQ(p->scale_track.period, 1000);

    EXPECT_FLOAT_EQ(track_value(p->scale_track, 0), 1);
    EXPECT_FLOAT_EQ(track_value(p->scale_track, -120), 700);
    EXPECT_FLOAT_EQ(track_value(p->scale_track, 57), 0.32f);
    EXPECT_FLOAT_EQ(track_value(p->interval_track, 57), 2);
    EXPECT_FLOAT_EQ(track_value(p->interval_track, 142.5f), 0.1f);
    EXPECT_FLOAT_EQ(track_value(p->tilt_track, 390), 0.49f);
    EXPECT_FLOAT_EQ(track_value(p->speed_track, 294.5f), 0.02f);
    EXPECT_FLOAT_EQ(track_value(p->speed_track, 332.5f), -0.09f);
    EXPECT_FLOAT_EQ(track_value(p->echo_track, 373.35f), 0.3f);
    EXPECT_FLOAT_EQ(track_value(p->growth_track, 375.25f), -0.002f);
    // Splines through unevenly spaced keys overshoot between them: the
    // interval rises a little above 2 before 57 frames.
    EXPECT_GT(track_value(p->interval_track, 40), 2);

    // Ten frames back: the first frame updates the zoom.
    EXPECT_FLOAT_EQ(p->last_time, -10);
    EXPECT_EQ(p->phase, 0);
}

TEST(part1_start, a_restart_begins_5500_ms_early_with_the_layers_far_magnified)
{
    parts_engine();
    parts_fonts();
    scene s(myengine, 0);
    set_part_time(-5500);
    auto* p = s.make<part1>();
    EXPECT_FLOAT_EQ(p->last_time, -120);
    p->pre_render(s);
    EXPECT_FLOAT_EQ(p->last_time, -110);
    // Layer 0's texture is scaled by scale_track(-110), still above 300.
    const float scale = s.materials.at(0)->layers[0].tex_matrix(0, 0);
    EXPECT_GT(scale, 500);
    EXPECT_LT(scale, 700);
    EXPECT_FLOAT_EQ(s.materials.at(0)->layers[0].tex_matrix(1, 1), -scale);
}

}  // namespace
}  // namespace vorlane
