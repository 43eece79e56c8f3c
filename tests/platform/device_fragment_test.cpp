// What the fragment program may leave to OpenGL and what it may not: the
// last stage's result saturates in the picture and in the blend factors
// without a clamp of its own, but fog mixes in the saturated colour.

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

}  // namespace
}  // namespace vorlane::test
