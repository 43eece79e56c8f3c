// Render targets: drawing into a texture and sampling it back keeps the
// picture upright, targets without a depth surface, the checks on
// set_render_target, and clearing.

#include "tests/platform/device_support.h"

namespace vorlane::test {
namespace {

class target_test : public device_test {
protected:
    device_texture* rt = nullptr;
    device_surface* rt_surface = nullptr;

    void SetUp() override
    {
        device_test::SetUp();
        d.set_render_state(D3DRS_LIGHTING, 1);
        d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        rt = d.create_texture(512, 512, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
        ASSERT_NE(rt, nullptr);
        rt_surface = rt->get_surface_level(0);
        ASSERT_NE(rt_surface, nullptr);
    }

    void emissive(float r, float g, float b)
    {
        d3d_material m;
        m.emissive = {r, g, b, 1};
        m.diffuse = {0, 0, 0, 1};
        d.set_material(m);
    }
};

TEST_F(target_test, picture_drawn_into_a_texture_samples_back_upright)
{
    device_surface* screen = d.get_render_target();
    device_surface* depth = d.get_depth_stencil_surface();
    ASSERT_TRUE(d.set_render_target(rt_surface, nullptr));
    d.clear(D3DCLEAR_TARGET, 0, 1, 0);
    emissive(1, 0, 0);
    draw_quad(-1, 0, 0, 1);  // top left
    emissive(0, 1, 0);
    draw_quad(0, -1, 1, 0);  // bottom right

    // The target itself: row 0 is the top.
    std::vector<std::uint32_t> image = d.read_surface(rt_surface);
    ASSERT_EQ(image.size(), 512u * 512u);
    EXPECT_TRUE(near_rgb(image[10 * 512 + 10], 255, 0, 0));
    EXPECT_TRUE(near_rgb(image[500 * 512 + 500], 0, 255, 0));
    EXPECT_TRUE(near_rgb(image[10 * 512 + 500], 0, 0, 0));
    // The viewport covered the whole 512 x 512 target, not the back
    // buffer's 64 x 64.
    EXPECT_TRUE(near_rgb(image[511 * 512 + 511], 0, 255, 0));

    ASSERT_TRUE(d.set_render_target(screen, depth));
    d.set_texture(0, rt);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.set_texture_stage_state(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    d.set_texture_stage_state(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(pixel(5, 5), 255, 0, 0));
    EXPECT_TRUE(near_rgb(pixel(58, 58), 0, 255, 0));
    EXPECT_TRUE(near_rgb(pixel(58, 5), 0, 0, 0));
    EXPECT_TRUE(near_rgb(pixel(5, 58), 0, 0, 0));
}

TEST_F(target_test, a_target_without_depth_surface_neither_tests_nor_writes_depth)
{
    ASSERT_TRUE(d.set_render_target(rt_surface, nullptr));
    EXPECT_EQ(d.get_depth_stencil_surface(), nullptr);
    emissive(1, 0, 0);
    draw_full_quad(0.2f);
    emissive(0, 1, 0);
    draw_full_quad(0.8f);  // farther, yet drawn over
    EXPECT_TRUE(near_rgb(d.read_surface(rt_surface)[256 * 512 + 256], 0, 255, 0));
}

TEST_F(target_test, get_returns_what_was_set_and_a_null_target_keeps_the_current)
{
    device_surface* screen = d.get_render_target();
    device_surface* depth = d.get_depth_stencil_surface();
    EXPECT_EQ(screen, d.get_back_buffer());
    ASSERT_NE(depth, nullptr);
    ASSERT_TRUE(d.set_render_target(rt_surface, nullptr));
    EXPECT_EQ(d.get_render_target(), rt_surface);
    ASSERT_TRUE(d.set_render_target(nullptr, nullptr));
    EXPECT_EQ(d.get_render_target(), rt_surface);
    ASSERT_TRUE(d.set_render_target(screen, depth));
    EXPECT_EQ(d.get_render_target(), screen);
    EXPECT_EQ(d.get_depth_stencil_surface(), depth);
}

TEST_F(target_test, refuses_surfaces_that_cannot_be_drawn_into)
{
    device_surface* screen = d.get_render_target();
    device_texture* managed = d.create_texture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    EXPECT_FALSE(d.set_render_target(managed->get_surface_level(0), nullptr));
    // The device's depth buffer is 64 x 64, smaller than the 512 target.
    EXPECT_FALSE(d.set_render_target(rt_surface, d.get_depth_stencil_surface()));
    // A depth surface is no colour target.
    EXPECT_FALSE(d.set_render_target(d.get_depth_stencil_surface(), nullptr));
    EXPECT_EQ(d.get_render_target(), screen);
}

TEST_F(target_test, render_target_is_drawn_over_across_frames)
{
    // Drawing into one target while sampling the other, as a feedback
    // loop does: the copy keeps what the source held.
    device_texture* other = d.create_texture(512, 512, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    ASSERT_TRUE(d.set_render_target(other->get_surface_level(0), nullptr));
    d.clear(D3DCLEAR_TARGET, 0xFF0000FF, 1, 0);
    ASSERT_TRUE(d.set_render_target(rt_surface, nullptr));
    d.set_texture(0, other);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(d.read_surface(rt_surface)[100 * 512 + 300], 0, 0, 255));
}

TEST_F(target_test, clearing_depth_without_a_depth_surface_clears_nothing)
{
    ASSERT_TRUE(d.set_render_target(rt_surface, nullptr));
    d.clear(D3DCLEAR_TARGET, 0xFFFF0000, 1, 0);
    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FF00, 1, 0);
    EXPECT_TRUE(near_rgb(d.read_surface(rt_surface)[0], 255, 0, 0));
}

TEST_F(target_test, clearing_depth_resets_it_even_with_depth_writes_off)
{
    emissive(1, 0, 0);
    draw_full_quad(0.2f);
    d.set_render_state(D3DRS_ZWRITEENABLE, 0);
    d.clear(D3DCLEAR_ZBUFFER, 0, 1, 0);
    emissive(0, 1, 0);
    draw_full_quad(0.8f);
    EXPECT_TRUE(near_rgb(centre(), 0, 255, 0));
}

TEST_F(target_test, clear_colour_and_alpha_reach_every_pixel)
{
    d.clear(D3DCLEAR_TARGET, 0x80123456, 1, 0);
    std::vector<std::uint32_t> image = d.read_surface(d.get_back_buffer());
    ASSERT_EQ(image.size(), std::size_t(back_width * back_height));
    EXPECT_EQ(image.front(), 0x80123456u);
    EXPECT_EQ(image.back(), 0x80123456u);
}

TEST_F(target_test, presenting_leaves_the_back_buffer_and_the_target_as_they_were)
{
    d.clear(D3DCLEAR_TARGET, 0xFF204060, 1, 0);
    ASSERT_TRUE(d.set_render_target(rt_surface, nullptr));
    d.present();
    EXPECT_EQ(d.get_render_target(), rt_surface);
    EXPECT_EQ(d.read_surface(d.get_back_buffer())[100], 0xFF204060u);
    emissive(1, 1, 1);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(d.read_surface(rt_surface)[256 * 512 + 256], 255, 255, 255));
}

TEST_F(target_test, a_released_target_is_neither_drawn_nor_read)
{
    ASSERT_TRUE(d.set_render_target(rt_surface, nullptr));
    rt->release();
    d.clear(D3DCLEAR_TARGET, 0xFFFFFFFF, 1, 0);
    draw_full_quad();
    EXPECT_TRUE(d.read_surface(rt_surface).empty());
    EXPECT_FALSE(d.set_render_target(rt_surface, nullptr));
}

}  // namespace
}  // namespace vorlane::test
