// What the fragment program may leave out and what it may not: the last
// stage's result saturates in the picture and in the blend factors without
// a clamp of its own, but fog mixes in the saturated colour; a draw wholly
// nearer than the fog start shows no fog, one that reaches into the fog
// still shows it where it does.

#include "tests/platform/device_support.h"

namespace vorlane::test {
namespace {

class fragment_test : public device_test {
protected:
    void SetUp() override
    {
        device_test::SetUp();
        // Diffuse 0.75 (the material's emissive colour, no lights) plus a
        // 0.75 texel: 1.5 in colour and alpha.
        d.set_render_state(D3DRS_LIGHTING, 1);
        d3d_material m;
        m.diffuse = {0, 0, 0, 0.75f};
        m.emissive = {0.75f, 0.75f, 0.75f, 0};
        d.set_material(m);
        d.set_texture(0, solid_texture(0xC0C0C0C0));
        d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_ADD);
        d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d.set_texture_stage_state(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        d.set_texture_stage_state(0, D3DTSS_ALPHAOP, D3DTOP_ADD);
        d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d.set_texture_stage_state(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    }
};

TEST_F(fragment_test, an_alpha_over_one_blends_as_one)
{
    // Colour 0.25, alpha 1.5 over white: source alpha 1 keeps 0.25 and
    // none of the white; an unsaturated 1.5 would give 0.375 - 0.5 = 0.
    d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d3d_material m;
    m.diffuse = {0, 0, 0, 0.75f};
    m.emissive = {0.25f, 0.25f, 0.25f, 0};
    d.set_material(m);
    d.clear(D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 64, 64, 64));
}

TEST_F(fragment_test, a_sum_over_one_is_white_in_the_picture)
{
    d.clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 255, 255, 255));
}

TEST_F(fragment_test, fog_mixes_in_the_saturated_colour)
{
    // Half way into black fog: 1.5 saturated to 1 gives 128; fog over the
    // unsaturated 1.5 would give 191.
    d.set_render_state(D3DRS_FOGENABLE, 1);
    d.set_render_state(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    d.set_render_state(D3DRS_FOGCOLOR, 0);
    d.set_render_state(D3DRS_FOGSTART, float_bits(6.0f));
    d.set_render_state(D3DRS_FOGEND, float_bits(10.0f));
    const float q = 1000 / (1000 - 0.1f);
    const float p[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, q, 1, 0, 0, -q * 0.1f, 0};
    d.set_transform(D3DTS_PROJECTION, p);
    draw_quad(-8, -8, 8, 8, 8);
    EXPECT_TRUE(near_rgb(centre(), 128, 128, 128));
}

class fog_reach_test : public device_test {
protected:
    void SetUp() override
    {
        device_test::SetUp();
        d.set_render_state(D3DRS_LIGHTING, 0);  // white
        d.set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
        d.set_render_state(D3DRS_FOGENABLE, 1);
        d.set_render_state(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
        d.set_render_state(D3DRS_FOGSTART, float_bits(6.0f));
        d.set_render_state(D3DRS_FOGEND, float_bits(10.0f));
        // Clip w is the camera z.
        const float q = 1000 / (1000 - 0.1f);
        const float p[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, q, 1, 0, 0, -q * 0.1f, 0};
        d.set_transform(D3DTS_PROJECTION, p);
        d.clear(D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    }
};

TEST_F(fog_reach_test, a_draw_nearer_than_the_start_shows_no_fog_of_any_colour)
{
    d.set_render_state(D3DRS_FOGCOLOR, 0);
    draw_quad(-3, -3, 3, 3, 3);
    EXPECT_TRUE(near_rgb(centre(), 255, 255, 255));
    d.set_render_state(D3DRS_FOGCOLOR, 0xFF00FF);
    draw_quad(-3, -3, 3, 3, 3);
    EXPECT_TRUE(near_rgb(centre(), 255, 255, 255));
}

TEST_F(fog_reach_test, a_floor_from_before_the_start_to_past_the_end_is_fogged_at_its_far_end)
{
    // Near edge at depth 2 along the bottom of the picture, far edge at
    // depth 20 above the middle: one corner in reach is enough.
    d.set_render_state(D3DRS_FOGCOLOR, 0);
    write_vertices({{-2, -2, 2, 0, 0, -1, 0, 0},
                    {2, -2, 2, 0, 0, -1, 0, 0},
                    {-20, 4, 20, 0, 0, -1, 0, 0},
                    {20, 4, 20, 0, 0, -1, 0, 0}});
    d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
    EXPECT_TRUE(near_rgb(pixel(32, 62), 255, 255, 255));
    // Depth 20 at the top edge (y 0.2 in clip space, row 25.6): past the
    // end a few rows below it.
    EXPECT_TRUE(near_rgb(pixel(32, 28), 0, 0, 0));
}

}  // namespace
}  // namespace vorlane::test
