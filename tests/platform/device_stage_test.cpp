// The texture stage cascade: operations, arguments, alpha sources, a
// missing texture, and which mip level a minified texture samples.

#include "tests/platform/device_support.h"

namespace vorlane::test {
namespace {

class stage_test : public device_test {
protected:
    void SetUp() override
    {
        device_test::SetUp();
        // Diffuse is the material's emissive colour (no lights, no ambient).
        d.set_render_state(D3DRS_LIGHTING, 1);
    }

    void set_diffuse(float r, float g, float b, float a)
    {
        d3d_material m;
        m.diffuse = {0, 0, 0, a};
        m.emissive = {r, g, b, 0};
        d.set_material(m);
    }

    void stage(int s, std::uint32_t op, std::uint32_t arg1, std::uint32_t arg2 = D3DTA_CURRENT)
    {
        d.set_texture_stage_state(s, D3DTSS_COLOROP, op);
        d.set_texture_stage_state(s, D3DTSS_COLORARG1, arg1);
        d.set_texture_stage_state(s, D3DTSS_COLORARG2, arg2);
    }

    void alpha_stage(int s, std::uint32_t op, std::uint32_t arg1)
    {
        d.set_texture_stage_state(s, D3DTSS_ALPHAOP, op);
        d.set_texture_stage_state(s, D3DTSS_ALPHAARG1, arg1);
    }

    void blend_over(std::uint32_t background)
    {
        d.clear(D3DCLEAR_TARGET, background, 1.0f, 0);
        d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
        d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
};

TEST_F(stage_test, selectarg1_texture_shows_the_texel)
{
    set_diffuse(0, 0, 1, 1);
    d.set_texture(0, solid_texture(0xFFFF4000));
    stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 255, 64, 0));
}

TEST_F(stage_test, selectarg1_diffuse_ignores_the_texture)
{
    set_diffuse(0, 0.5f, 1, 1);
    d.set_texture(0, solid_texture(0xFFFF4000));
    stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 0, 128, 255));
}

TEST_F(stage_test, modulate_multiplies_texture_and_diffuse)
{
    set_diffuse(0.5f, 0.5f, 1, 1);
    d.set_texture(0, solid_texture(0xFFFF8040));
    stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 128, 64, 64));
}

TEST_F(stage_test, stage_one_adds_its_texture_to_stage_zero_and_saturates)
{
    set_diffuse(0, 0, 0, 1);
    d.set_texture(0, solid_texture(0xFF400080));
    d.set_texture(1, solid_texture(0xFF0040C0));
    stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    stage(1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
    d.set_texture_stage_state(1, D3DTSS_TEXCOORDINDEX, 0);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 64, 64, 255));
}

TEST_F(stage_test, a_disabled_stage_ends_the_cascade)
{
    set_diffuse(0, 0, 0, 1);
    d.set_texture(0, solid_texture(0xFF400000));
    d.set_texture(2, solid_texture(0xFF00FF00));
    stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    stage(1, D3DTOP_DISABLE, D3DTA_TEXTURE);
    stage(2, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 64, 0, 0));
}

TEST_F(stage_test, stage_zero_disabled_gives_the_diffuse_colour)
{
    set_diffuse(0.25f, 0.5f, 0.75f, 1);
    d.set_texture(0, solid_texture(0xFFFFFFFF));
    stage(0, D3DTOP_DISABLE, D3DTA_TEXTURE);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 64, 128, 191));
}

TEST_F(stage_test, alpha_from_the_texture)
{
    // Texture alpha 0x40 (0.25), diffuse alpha 1: a quarter of the red.
    set_diffuse(1, 0, 0, 1);
    d.set_texture(0, solid_texture(0x40FFFFFF));
    stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
    alpha_stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    blend_over(0x00000000);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 64, 0, 0));
}

TEST_F(stage_test, alpha_from_the_diffuse_colour)
{
    // Same texture, alpha from the material's 0.75.
    set_diffuse(1, 0, 0, 0.75f);
    d.set_texture(0, solid_texture(0x40FFFFFF));
    stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
    alpha_stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
    blend_over(0x00000000);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 191, 0, 0));
}

TEST_F(stage_test, a_disabled_alpha_operation_passes_the_alpha_on)
{
    set_diffuse(1, 0, 0, 1);
    d.set_texture(0, solid_texture(0x40FFFFFF));
    d.set_texture(1, solid_texture(0xFF000000));
    stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
    alpha_stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    stage(1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
    alpha_stage(1, D3DTOP_DISABLE, D3DTA_TEXTURE);
    blend_over(0x00000000);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 64, 0, 0));
}

TEST_F(stage_test, missing_texture_argument_acts_as_the_lit_colour)
{
    // Over-bright material, ambient light, no normal: the lit colour
    // saturates to white, and the texture argument without a texture
    // shows it, so "textured" lines come out white.
    d3d_material m;
    m.diffuse = m.ambient = {10, 10, 10, 1};
    d.set_material(m);
    d.set_render_state(D3DRS_AMBIENT, 0xFF606060);
    stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    alpha_stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    d.set_texture(0, nullptr);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 255, 255, 255));
}

TEST_F(stage_test, missing_texture_under_modulate_gives_the_diffuse_colour_once)
{
    // The default stage 0 (TEXTURE x CURRENT) of an untextured material,
    // and the text sprite's leftover DIFFUSE x TEXTURE: the lit colour,
    // not its square.
    set_diffuse(0.5f, 1, 0, 1);
    d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 128, 255, 0));
    stage(0, D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_TEXTURE);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 128, 255, 0));
}

TEST_F(stage_test, missing_texture_on_stage_one_passes_the_current_colour_on)
{
    set_diffuse(0, 0.25f, 0, 1);
    d.set_texture(0, solid_texture(0xFF800000));
    stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    stage(1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
    d.set_texture(1, nullptr);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 128, 0, 0));
}

TEST_F(stage_test, each_stage_saturates_before_the_next)
{
    // Stage 0: 0.75 + 0.75 = 1.5, saturated to 1; stage 1 halves it.
    set_diffuse(0.75f, 0.75f, 0.75f, 1);
    d.set_texture(0, solid_texture(0xFFC0C0C0));
    d.set_texture(1, solid_texture(0xFF808080));
    stage(0, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    stage(1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
    d.set_texture_stage_state(1, D3DTSS_TEXCOORDINDEX, 0);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 128, 128, 128));
}

TEST_F(stage_test, a_released_texture_samples_as_no_texture)
{
    set_diffuse(0, 1, 0, 1);
    device_texture* t = solid_texture(0xFFFF0000);
    d.set_texture(0, t);
    stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    t->release();
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 0, 255, 0));
}

TEST_F(stage_test, minified_texture_samples_the_matching_mip_level)
{
    // 64 x 64 texels over 16 x 16 pixels: level 2 (16 x 16) with point
    // mip filtering. Each level has its own colour.
    device_texture* t = d.create_texture(64, 64, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_EQ(t->levels, 7);
    const std::uint32_t colours[7] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                      0xFF00FFFF, 0xFFFF00FF, 0xFFFFFFFF};
    for (int level = 0; level < 7; ++level) {
        d3d_locked_rect r;
        ASSERT_TRUE(t->lock_rect(level, r));
        for (int i = 0; i < t->level_width(level) * t->level_height(level); ++i)
            std::memcpy(static_cast<std::uint8_t*>(r.bits) + 4 * i, &colours[level], 4);
        t->unlock_rect(level);
    }
    d.set_texture(0, t);
    stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    d.set_texture_stage_state(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    d.set_texture_stage_state(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    draw_quad(-0.25f, -0.25f, 0.25f, 0.25f);
    EXPECT_TRUE(near_rgb(centre(), 0, 0, 255));

    // Without mip filtering the top level is used whatever the size.
    d.set_texture_stage_state(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    draw_quad(-0.25f, -0.25f, 0.25f, 0.25f);
    EXPECT_TRUE(near_rgb(centre(), 255, 0, 0));
}

}  // namespace
}  // namespace vorlane::test
