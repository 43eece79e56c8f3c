// The recorded state: Direct3D's defaults, state blocks that snapshot and
// restore all of it, and the calls that refuse bad arguments.

#include "tests/platform/device_support.h"

namespace vorlane::test {
namespace {

TEST(device_state_defaults, are_those_of_a_device_with_a_depth_buffer)
{
    device_state s;
    EXPECT_EQ(s.zenable, D3DZB_TRUE);
    EXPECT_EQ(s.zwriteenable, 1u);
    EXPECT_EQ(s.cullmode, D3DCULL_CCW);
    EXPECT_EQ(s.lighting, 1u);
    EXPECT_EQ(s.ambient, 0u);
    EXPECT_EQ(s.clipping, 1u);
    EXPECT_EQ(s.srcblend, D3DBLEND_ONE);
    EXPECT_EQ(s.destblend, D3DBLEND_ZERO);
    EXPECT_EQ(s.fogend, 1.0f);
    EXPECT_EQ(s.stages[0].color_op, D3DTOP_MODULATE);
    EXPECT_EQ(s.stages[0].alpha_op, D3DTOP_SELECTARG1);
    EXPECT_EQ(s.stages[1].color_op, D3DTOP_DISABLE);
    EXPECT_EQ(s.stages[1].alpha_op, D3DTOP_DISABLE);
    EXPECT_EQ(s.stages[2].tex_coord_index, 2u);
    EXPECT_EQ(s.stages[0].min_filter, D3DTEXF_POINT);
    EXPECT_EQ(s.stages[0].mip_filter, D3DTEXF_NONE);
    EXPECT_EQ(s.lights[5].type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(s.lights[5].direction.z, 1.0f);
    EXPECT_FALSE(s.light_enabled[0]);
}

TEST_F(device_test, state_block_restores_everything_captured)
{
    device_texture* t = solid_texture(0xFFFFFFFF);
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 0);
    d.set_texture_stage_state(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d.set_texture(0, t);
    d.set_render_state(D3DRS_FOGSTART, float_bits(6.0f));
    device_state_block* block = d.create_state_block(D3DSBT_ALL);
    ASSERT_NE(block, nullptr);

    const float m[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1};
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
    d.set_render_state(D3DRS_FOGSTART, float_bits(1.0f));
    d.set_texture_stage_state(1, D3DTSS_COLOROP, D3DTOP_ADD);
    d.set_transform(D3DTS_WORLD, m);
    d.set_texture(0, nullptr);
    d3d_light l;
    l.type = D3DLIGHT_POINT;
    ASSERT_TRUE(d.set_light(2, l));
    ASSERT_TRUE(d.light_enable(2, true));
    d.set_stream_source(0, nullptr, 0);

    ASSERT_TRUE(d.apply_state_block(block));
    EXPECT_EQ(d.state.alphablendenable, 0u);
    EXPECT_EQ(d.state.fogstart, 6.0f);
    EXPECT_EQ(d.state.stages[1].color_op, D3DTOP_DISABLE);
    EXPECT_EQ(d.state.world.m[12], 0.0f);
    EXPECT_EQ(d.state.textures[0], t);
    EXPECT_EQ(d.state.lights[2].type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FALSE(d.state.light_enabled[2]);
    EXPECT_EQ(d.state.stream, vb);
}

TEST_F(device_test, capture_refreshes_a_state_block)
{
    device_state_block* block = d.create_state_block(D3DSBT_ALL);
    ASSERT_NE(block, nullptr);
    d.set_render_state(D3DRS_AMBIENT, 0xFF606060);
    ASSERT_TRUE(d.capture_state_block(block));
    d.set_render_state(D3DRS_AMBIENT, 0);
    ASSERT_TRUE(d.apply_state_block(block));
    EXPECT_EQ(d.state.ambient, 0xFF606060u);
}

TEST_F(device_test, applied_state_is_what_the_next_draw_uses)
{
    // Captured without blending; blending switched on afterwards; after
    // applying, a red quad replaces the white background.
    d.set_render_state(D3DRS_LIGHTING, 1);
    d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d3d_material m;
    m.emissive = {1, 0, 0, 1};
    m.diffuse = {0, 0, 0, 0};
    d.set_material(m);
    device_state_block* block = d.create_state_block(D3DSBT_ALL);
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d.clear(D3DCLEAR_TARGET, 0xFFFFFFFF, 1, 0);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 255, 255, 255));
    ASSERT_TRUE(d.apply_state_block(block));
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 255, 0, 0));
}

TEST_F(device_test, state_blocks_exist_only_for_the_whole_state)
{
    EXPECT_EQ(d.create_state_block(2), nullptr);
    EXPECT_FALSE(d.capture_state_block(nullptr));
    EXPECT_FALSE(d.apply_state_block(nullptr));
}

TEST_F(device_test, lights_beyond_the_eighth_and_lights_without_a_type_are_refused)
{
    d3d_light l;
    l.type = D3DLIGHT_POINT;
    EXPECT_FALSE(d.set_light(max_lights, l));
    EXPECT_FALSE(d.light_enable(max_lights, true));
    EXPECT_FALSE(d.set_light(-1, l));
    d3d_light untyped;  // all zero
    EXPECT_FALSE(d.set_light(0, untyped));
    EXPECT_EQ(d.state.lights[0].type, D3DLIGHT_DIRECTIONAL);
}

TEST_F(device_test, stage_and_transform_calls_out_of_range_change_nothing)
{
    device_state before = d.state;
    d.set_texture_stage_state(4, D3DTSS_COLOROP, D3DTOP_ADD);
    d.set_texture_stage_state(-1, D3DTSS_COLOROP, D3DTOP_ADD);
    d.set_texture(7, nullptr);
    const float m[16] = {};
    d.set_transform(static_cast<d3d_transform_state_type>(23), m);  // texture stage 7
    d.set_stream_source(1, nullptr, 0);
    EXPECT_EQ(std::memcmp(before.stages, d.state.stages, sizeof before.stages), 0);
    EXPECT_EQ(std::memcmp(before.textures, d.state.textures, sizeof before.textures), 0);
    EXPECT_EQ(std::memcmp(before.texture_transform, d.state.texture_transform, sizeof before.texture_transform), 0);
    EXPECT_EQ(d.state.stream, vb);
}

}  // namespace
}  // namespace vorlane::test
