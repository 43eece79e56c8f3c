#include "effects/glow_effect.h"
#include "effects/letterbox_effect.h"
#include "effects/sprite_effect.h"
#include "effects/text_sprite_effect.h"
#include "scene/frame.h"
#include "tests/parts/parts_test_support.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

TEST(letterbox, texture_is_a_black_band_with_a_slanted_tab_under_a_clear_strip)
{
    parts_engine();
    scene s(myengine, 0);
    auto* e = s.make<letterbox_effect>();
    const material& m = *s.materials.at(e->material);
    ASSERT_EQ(m.no_layers, 1);
    EXPECT_EQ(m.layers[0].texture, e->texture);
    EXPECT_EQ(m.layers[0].alpha_from_texture, 1);
    EXPECT_EQ(m.blend, 1);

    const std::vector<std::uint8_t>& t = texels(e->texture);
    ASSERT_EQ(t.size(), 512u * 64 * 4);
    auto alpha = [&](int x, int y) { return t[(y * 512 + x) * 4 + 3]; };
    const int edge[17] = {289, 290, 290, 291, 291, 292, 293, 293, 294,
                          294, 295, 295, 296, 297, 297, 298, 298};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 512; ++x) {
            int expected = y >= 28 ? 255 : 0;
            if (y >= 11 && y < 28 && x < edge[y - 11])
                expected = 255;
            ASSERT_EQ(alpha(x, y), expected) << x << "," << y;
            ASSERT_EQ(t[(y * 512 + x) * 4], 0);  // black
        }

    // The band quad: v 0.05 towards the centre, 0.95 at the outer edge.
    s.vb.lock();
    EXPECT_FLOAT_EQ(s.vb.vertex(e->first_vertex)->v, 0.05f);
    EXPECT_FLOAT_EQ(s.vb.vertex(e->first_vertex + 3)->v, 0.95f);
    EXPECT_FLOAT_EQ(s.vb.vertex(e->first_vertex + 3)->u, 0);
    s.vb.unlock();
}

// The bottom bar is drawn last: its view row 3 is -0.91 - h.
float offset_seen()
{
    return -0.91f - pd3dDev->state.view.m[13];
}

TEST(letterbox, offsets_follow_a_spline_whose_end_tangent_meets_the_empty_key)
{
    parts_engine();
    scene s(myengine, 0);
    auto* e = s.make<letterbox_effect>();
    EXPECT_EQ(e->offset_track.key_count, 20);

    set_part_time(20000);
    e->post_render(s);
    EXPECT_NEAR(offset_seen(), 0.42f, 1e-6);
    EXPECT_FLOAT_EQ(pd3dDev->state.view.m[5], -0.09f);
    EXPECT_FLOAT_EQ(pd3dDev->state.view.m[0], -1);

    // Halfway through the last segment (17000 to 20000): tangents 0.222 at
    // the start and (0 - 0.1) x 3000 / (0 - 17000) at the end, against the
    // unwritten key (0, 0). With only the eight keys counted the end
    // tangent would be 0.32 and the value 0.24775.
    set_part_time(18500);
    e->post_render(s);
    const double m0 = (0.42 - 0.05) * 3000 / 5000;
    const double m1 = (0 - 0.1) * 3000 / (0 - 17000.0);
    EXPECT_NEAR(offset_seen(), 0.26 + 0.125 * m0 - 0.125 * m1, 1e-5);

    // Just past the period the curve starts again near 0.32.
    set_part_time(20010);
    e->post_render(s);
    EXPECT_NEAR(offset_seen(), 0.32f, 0.001);
}

TEST(letterbox, bars_black_out_the_top_and_bottom_rows_when_in)
{
    parts_engine();
    scene s(myengine, 0);
    s.clear_colour = 0xFFFFFFFF;
    s.make<letterbox_effect>();

    set_part_time(10000);  // h is about 0.03
    render(s);
    std::vector<std::uint32_t> frame = frame_pixels();
    for (int x = 0; x < test_width; ++x) {
        EXPECT_EQ(frame[x] & 0xFFFFFF, 0u) << x;
        EXPECT_EQ(frame[(test_height - 1) * test_width + x] & 0xFFFFFF, 0u) << x;
        EXPECT_EQ(frame[(test_height / 2) * test_width + x] & 0xFFFFFF, 0xFFFFFFu) << x;
    }

    set_part_time(500);  // h above 0.3: both bars off the screen
    render(s);
    frame = frame_pixels();
    for (int x = 0; x < test_width; ++x) {
        EXPECT_EQ(frame[x] & 0xFFFFFF, 0xFFFFFFu) << x;
        EXPECT_EQ(frame[(test_height - 1) * test_width + x] & 0xFFFFFF, 0xFFFFFFu) << x;
    }
}

TEST(text_sprite, texture_is_white_ink_opaque_only_where_it_fell)
{
    parts_engine();
    parts_fonts();
    scene s(myengine, 0);
    track x_track;
    track brightness;
    auto* e = s.make<text_sprite_effect>("444", x_track, brightness, part1_fnt3);
    const material& m = *s.materials.at(e->material);
    EXPECT_EQ(m.blend, 2);
    EXPECT_EQ(m.layers[0].texture, e->texture);
    EXPECT_EQ(m.layers[0].alpha_from_texture, 1);

    const std::vector<std::uint8_t>& t = texels(e->texture);
    ASSERT_EQ(t.size(), 1024u * 128 * 4);
    int ink = 0;
    int leftmost = 1024, topmost = 128, rightmost = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 1024; ++x) {
            const std::uint8_t* texel = &t[(y * 1024 + x) * 4];
            ASSERT_TRUE(texel[0] == 0 || texel[0] == 255);
            ASSERT_EQ(texel[3], texel[0]) << x << "," << y;  // opaque exactly on ink
            if (texel[0]) {
                ++ink;
                leftmost = std::min(leftmost, x);
                rightmost = std::max(rightmost, x);
                topmost = std::min(topmost, y);
            }
        }
    EXPECT_GT(ink, 3000);
    EXPECT_GE(leftmost, 5);
    EXPECT_GE(topmost, 5);
    EXPECT_EQ(rightmost < part1_fnt3.text_width("444") + 5, true);
}

TEST(text_sprite, scrolls_with_its_track_and_adds_in_its_grey_level)
{
    parts_engine();
    parts_fonts();
    scene s(myengine, 0);
    const track_key x_keys[] = {{0, 0}, {-2, 1000}};
    track x_track;
    x_track.assign(x_keys, 0, 1000, end_wrap, 0);
    const track_key brightness_keys[] = {{0, 0}, {1, 1000}};
    track brightness;
    brightness.assign(brightness_keys, 0, 1000, end_wrap, 0);
    auto* e = s.make<text_sprite_effect>("x", x_track, brightness, part1_fnt3);
    // The copies share the caller's keys.
    EXPECT_EQ(e->x_track.keys.get(), x_track.keys.get());

    set_part_time(250);
    e->post_render(s);
    const device& d = *pd3dDev;
    EXPECT_FLOAT_EQ(d.state.world.m[0], 9);
    EXPECT_FLOAT_EQ(d.state.world.m[5], 2.25f);
    EXPECT_FLOAT_EQ(d.state.world.m[12], 7.38f - 0.5f);
    EXPECT_FLOAT_EQ(d.state.material.diffuse.g, 0.25f);
    EXPECT_EQ(d.state.stages[0].color_arg1, static_cast<std::uint32_t>(D3DTA_DIFFUSE));
    EXPECT_EQ(d.state.stages[0].color_arg2, static_cast<std::uint32_t>(D3DTA_TEXTURE));
    EXPECT_EQ(d.state.stages[0].color_op, static_cast<std::uint32_t>(D3DTOP_MODULATE));
    EXPECT_EQ(d.state.destblend, static_cast<std::uint32_t>(D3DBLEND_ONE));
}

TEST(glow, texture_is_a_disc_of_radius_90_fading_out_by_100)
{
    parts_engine();
    scene s(myengine, 0);
    auto* e = s.make<glow_effect>();
    const material& m = *s.materials.at(e->material);
    EXPECT_EQ(m.layers[0].alpha_from_texture, 0);  // alpha from the diffuse colour
    EXPECT_EQ(m.blend, 2);

    const std::vector<std::uint8_t>& t = texels(e->texture);
    auto grey = [&](int x, int y) { return static_cast<int>(t[(y * 256 + x) * 4 + 1]); };
    EXPECT_EQ(grey(128, 128), 255);
    EXPECT_EQ(grey(128 + 90, 128), 255);
    EXPECT_EQ(grey(128 + 92, 128), 204);
    EXPECT_EQ(grey(128 + 95, 128), 127);
    EXPECT_EQ(grey(128, 128 - 95), 127);
    EXPECT_EQ(grey(128 + 60, 128 + 80), 0);  // distance 100
    EXPECT_EQ(grey(128 + 100, 128), 0);
    EXPECT_EQ(grey(0, 0), 0);
    EXPECT_EQ(grey(255, 255), 0);
    for (std::size_t i = 3; i < t.size(); i += 4)
        ASSERT_EQ(t[i], 0);  // the alpha map was all 255
}

TEST(glow, slides_with_the_camera_and_draws_outside_the_fog)
{
    parts_engine();
    scene s(myengine, 0);
    s.make<glow_effect>();
    const device& d = *pd3dDev;
    set_part_time(1000);
    render(s);
    EXPECT_FLOAT_EQ(s.view(0, 0), 1.5f);
    EXPECT_FLOAT_EQ(s.view(1, 1), 1.5f);
    EXPECT_FLOAT_EQ(s.view(2, 2), 1);
    EXPECT_NEAR(s.view(3, 0), 8, 1e-5);
    EXPECT_FLOAT_EQ(s.view(3, 1), -1);
    EXPECT_FLOAT_EQ(s.view(3, 2), 3);
    EXPECT_FLOAT_EQ(s.projection(1, 1), 2);
    EXPECT_EQ(d.state.fogenable, 1u);
    for (int k = 0; k < 16; ++k)
        EXPECT_FLOAT_EQ(d.state.view.m[k], s.view.e[k]);

    // In place from 3 s on: the disc's centre is on the screen.
    set_part_time(5000);
    render(s);
    EXPECT_FLOAT_EQ(s.view(3, 0), 2);
    EXPECT_GT(brightness(frame_pixels(), 0, 0, test_width, test_height), 0);
}

TEST(sprite, takes_the_given_texture_and_follows_both_tracks)
{
    parts_engine();
    scene s(myengine, 0);
    const track_key x_key[] = {{0.25f, 0}};
    track x;
    x.assign(x_key, 0, 0, end_wrap, 1);
    const track_key y_key[] = {{-0.5f, 0}};
    track y;
    y.assign(y_key, 0, 0, end_wrap, 1);
    auto* e = s.make<sprite_effect>(3, x, y);
    const material& m = *s.materials.at(e->material);
    EXPECT_EQ(m.layers[0].texture, 3);
    EXPECT_FLOAT_EQ(m.colour.b, 10);
    EXPECT_EQ(m.blend, 1);
    s.vb.lock();
    EXPECT_FLOAT_EQ(s.vb.vertex(e->first_vertex)->v, 1);
    EXPECT_FLOAT_EQ(s.vb.vertex(e->first_vertex + 2)->v, 0);
    s.vb.unlock();

    device& d = *pd3dDev;
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_SUBTRACT);
    set_part_time(700);
    e->post_render(s);
    EXPECT_FLOAT_EQ(d.state.world.m[0], 2);
    EXPECT_FLOAT_EQ(d.state.world.m[5], 0.5f);
    EXPECT_FLOAT_EQ(d.state.world.m[12], 0.25f);
    EXPECT_FLOAT_EQ(d.state.world.m[13], -0.5f);
    EXPECT_EQ(d.state.blendop, static_cast<std::uint32_t>(D3DBLENDOP_ADD));
    EXPECT_EQ(d.state.destblend, static_cast<std::uint32_t>(D3DBLEND_INVSRCALPHA));
}

}  // namespace
}  // namespace vorlane
