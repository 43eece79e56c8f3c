// Linear fog: eye-relative distance under a perspective projection, depth
// under one without perspective, at the start, the end and between.

#include "tests/platform/device_support.h"

namespace vorlane::test {
namespace {

class fog_test : public device_test {
protected:
    void SetUp() override
    {
        device_test::SetUp();
        d.set_render_state(D3DRS_LIGHTING, 0);  // white quads
        d.set_render_state(D3DRS_FOGENABLE, 1);
        d.set_render_state(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
        d.set_render_state(D3DRS_FOGCOLOR, 0);
        d.set_render_state(D3DRS_FOGSTART, float_bits(6.0f));
        d.set_render_state(D3DRS_FOGEND, float_bits(10.0f));
    }

    // A perspective projection with w = z + w_offset, and a screen-filling
    // quad at camera depth z.
    void draw_at_depth(float z, float w_offset = 0)
    {
        const float q = 1000 / (1000 - 0.1f);
        const float p[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, q, 1, 0, 0, -q * 0.1f, w_offset};
        d.set_transform(D3DTS_PROJECTION, p);
        float e = z + w_offset;
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1, 0);
        draw_quad(-e, -e, e, e, z);
    }

    ::testing::AssertionResult grey(int level) { return near_rgb(centre(), level, level, level); }
};

TEST_F(fog_test, nothing_before_the_start)
{
    draw_at_depth(6);
    EXPECT_TRUE(grey(255));
    draw_at_depth(3);
    EXPECT_TRUE(grey(255));
}

TEST_F(fog_test, half_way_between_start_and_end)
{
    draw_at_depth(8);
    EXPECT_TRUE(grey(128));
}

TEST_F(fog_test, all_fog_at_the_end_and_beyond)
{
    draw_at_depth(10);
    EXPECT_TRUE(grey(0));
    draw_at_depth(14);
    EXPECT_TRUE(grey(0));
}

TEST_F(fog_test, fog_colour_mixes_in_and_alpha_is_untouched)
{
    // A quarter of white, three quarters of orange; the quad's alpha (1)
    // still replaces the background in full.
    d.set_render_state(D3DRS_FOGCOLOR, 0x00FF8000);
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    draw_at_depth(9);
    EXPECT_TRUE(near_rgb(centre(), 255, 160, 64));
}

TEST_F(fog_test, distance_is_clip_w)
{
    // w = z + 1: a quad at z = 7 is 8 away, half fogged.
    draw_at_depth(7, 1);
    EXPECT_TRUE(grey(128));
}

TEST_F(fog_test, without_perspective_the_depth_is_used)
{
    // Identity projection: depth z / w = 0.5, fog from 0.25 to 0.75.
    d.set_render_state(D3DRS_FOGSTART, float_bits(0.25f));
    d.set_render_state(D3DRS_FOGEND, float_bits(0.75f));
    draw_full_quad(0.5f);
    EXPECT_TRUE(grey(128));
}

TEST_F(fog_test, fog_off_or_without_the_linear_table_mode_leaves_colours)
{
    d.set_render_state(D3DRS_FOGENABLE, 0);
    draw_at_depth(12);
    EXPECT_TRUE(grey(255));
    d.set_render_state(D3DRS_FOGENABLE, 1);
    d.set_render_state(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    draw_at_depth(12);
    EXPECT_TRUE(grey(255));
}

TEST_F(fog_test, equal_start_and_end_is_a_hard_edge)
{
    d.set_render_state(D3DRS_FOGSTART, float_bits(8.0f));
    d.set_render_state(D3DRS_FOGEND, float_bits(8.0f));
    draw_at_depth(7.5f);
    EXPECT_TRUE(grey(255));
    draw_at_depth(8.5f);
    EXPECT_TRUE(grey(0));
}

}  // namespace
}  // namespace vorlane::test
