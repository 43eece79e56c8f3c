// State changed between draws that share a program, or on the way back to
// a program used before, shows in the next draw: the device sends a
// program only what differs from what it last received and rebinds only
// what changed, so a missed change would leave the earlier picture.

#include "tests/platform/device_support.h"

namespace vorlane::test {
namespace {

// Left and right halves of the back buffer, away from the middle.
constexpr int left_x = 16, right_x = 48, probe_y = 32;

class redraw_test : public device_test {
protected:
    void draw_left() { draw_quad(-1, -1, 0, 1); }
    void draw_right() { draw_quad(0, -1, 1, 1); }

    void set_lit_material(float r, float g, float b)
    {
        d3d_material m;
        m.diffuse = {r, g, b, 1};
        d.set_material(m);
    }

    // Straight at the quads' normals, full strength in one channel.
    void set_facing_light(int index, d3d_color_value colour)
    {
        d3d_light l;
        l.type = D3DLIGHT_DIRECTIONAL;
        l.diffuse = colour;
        l.direction = {0, 0, 1};
        ASSERT_TRUE(d.set_light(index, l));
        ASSERT_TRUE(d.light_enable(index, true));
    }

    void lit_by_diffuse()
    {
        d.set_render_state(D3DRS_LIGHTING, 1);
        d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    }
};

TEST_F(redraw_test, material_and_ambient_changed_between_draws)
{
    use_flat_colour(1, 0, 0, 1);
    draw_left();
    use_flat_colour(0, 0, 1, 1);
    d.set_render_state(D3DRS_AMBIENT, 0xFF00FF00);
    d3d_material m = d.state.material;
    m.ambient = {0, 1, 0, 0};
    d.set_material(m);
    draw_right();
    EXPECT_TRUE(near_rgb(pixel(left_x, probe_y), 255, 0, 0));
    EXPECT_TRUE(near_rgb(pixel(right_x, probe_y), 0, 255, 255));
}

TEST_F(redraw_test, lights_switched_off_and_on_between_draws)
{
    // Switching off light 0 moves light 1 to the front of the lights the
    // program reads and leaves one where there were two.
    lit_by_diffuse();
    set_lit_material(1, 1, 1);
    set_facing_light(0, {1, 0, 0, 1});
    set_facing_light(1, {0, 0, 1, 1});
    draw_quad(-1, -1, -0.5f, 1);
    d.light_enable(0, false);
    draw_quad(-0.5f, -1, 0.5f, 1);
    d.light_enable(1, false);
    d.light_enable(0, true);
    draw_quad(0.5f, -1, 1, 1);
    EXPECT_TRUE(near_rgb(pixel(8, probe_y), 255, 0, 255));
    EXPECT_TRUE(near_rgb(pixel(32, probe_y), 0, 0, 255));
    EXPECT_TRUE(near_rgb(pixel(56, probe_y), 255, 0, 0));
}

TEST_F(redraw_test, values_set_while_another_program_drew_reach_the_first_again)
{
    use_flat_colour(1, 0, 0, 1);
    draw_left();
    // Unlit: another program. The material changes while it draws.
    d.set_render_state(D3DRS_LIGHTING, 0);
    use_flat_colour(0, 1, 0, 1);
    d.set_render_state(D3DRS_LIGHTING, 0);
    draw_right();
    EXPECT_TRUE(near_rgb(pixel(right_x, probe_y), 255, 255, 255));
    d.set_render_state(D3DRS_LIGHTING, 1);
    draw_right();
    EXPECT_TRUE(near_rgb(pixel(left_x, probe_y), 255, 0, 0));
    EXPECT_TRUE(near_rgb(pixel(right_x, probe_y), 0, 255, 0));
}

TEST_F(redraw_test, texture_matrix_and_filter_changed_between_draws)
{
    // Two texels, black and white; u runs over the quad from 0 to 1.
    device_texture* t = d.create_texture(2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    d3d_locked_rect r;
    ASSERT_TRUE(t->lock_rect(0, r));
    const std::uint32_t texels[2] = {0xFF000000, 0xFFFFFFFF};
    std::memcpy(r.bits, texels, sizeof texels);
    t->unlock_rect(0);
    d.set_render_state(D3DRS_LIGHTING, 0);
    d.set_texture(0, t);
    d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.set_texture_stage_state(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);

    // Two-component coordinates meet the matrix as (u, v, 1, 0), so its
    // third row moves them. u = 0.25: the black texel's centre.
    const float to_black[16] = {0, 0, 0, 0, 0, 1, 0, 0, 0.25f, 0, 1, 0, 0, 0, 0, 1};
    d.set_transform(D3DTS_TEXTURE0, to_black);
    d.set_texture_stage_state(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 0, 0, 0));

    // u = 0.75: the white texel's centre.
    const float to_white[16] = {0, 0, 0, 0, 0, 1, 0, 0, 0.75f, 0, 1, 0, 0, 0, 0, 1};
    d.set_transform(D3DTS_TEXTURE0, to_white);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 255, 255, 255));

    // u = 0.5, between the two: nearest takes the white one, linear
    // filtering mixes them.
    const float between[16] = {0, 0, 0, 0, 0, 1, 0, 0, 0.5f, 0, 1, 0, 0, 0, 0, 1};
    d.set_transform(D3DTS_TEXTURE0, between);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 255, 255, 255));
    d.set_texture_stage_state(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 128, 128, 128));
}

}  // namespace
}  // namespace vorlane::test
